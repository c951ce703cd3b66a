#pragma once
// Status codes of the keychain item operations. They keep the platform's numeric values
// because callers (KeychainStore) branch on them and report them unchanged in their errors.
#include <cstdint>

namespace corvane::platform {

using SecStatus = std::int32_t;

namespace secstatus {
inline constexpr SecStatus kSuccess = 0;
// The backend cannot do what was asked (e.g. enforce an authentication policy).
inline constexpr SecStatus kUnimplemented = -4;
// Reading or writing the backing store failed.
inline constexpr SecStatus kIoError = -36;
// A malformed request: missing class, "any" where a definite value is needed, ...
inline constexpr SecStatus kParam = -50;
// The backing store cannot be opened (folder not creatable, written by a newer version).
inline constexpr SecStatus kNotAvailable = -25291;
inline constexpr SecStatus kDuplicateItem = -25299;
inline constexpr SecStatus kItemNotFound = -25300;
// The item exists but reading it would need user interaction, which the query forbade.
inline constexpr SecStatus kInteractionNotAllowed = -25308;
}  // namespace secstatus

// Domain of the errors a backend reports outside a status (access-control creation).
inline constexpr const char* kSecItemErrorDomain = "net.corvane.client.secitem";

}  // namespace corvane::platform
