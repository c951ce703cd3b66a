#pragma once
// The item file's byte layout, version 1 (all integers little-endian):
//
//   "CVKEYCH\n"            8-byte magic
//   u32 version            1
//   u32 item count
//   item*                  see below
//   SHA-256                32 bytes over everything before it
//
//   item: u8 class, u8 synchronizable (0/1), u8 accessible (1-7), u8 presence bits
//         (1 access control, 2 generic, 4 label, 8 comment), then the texts service,
//         access group, account and value, each as u32 length + bytes, then
//         u32 access-control flags and the present optional fields in that order.
//
// The checksum makes a torn or hand-edited file read as corrupt instead of as fewer or
// altered items. A file with a higher version is refused, not treated as corrupt, so an
// older program never moves a newer program's items aside.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/result.h"
#include "platform/secitem/sec_item.h"

namespace corvane::platform {

inline constexpr std::uint32_t kKeychainFileVersion = 1;

// Codes of the decode errors (domain "keychain file").
enum class KeychainFileProblem : int { corrupt = 1, newerVersion = 2 };

std::string encodeKeychainFile(const std::vector<SecItem>& items);

// The items, or an Error whose code is a KeychainFileProblem and whose description says
// what is wrong (it never quotes item contents).
Result<std::vector<SecItem>> decodeKeychainFile(std::string_view bytes);

}  // namespace corvane::platform
