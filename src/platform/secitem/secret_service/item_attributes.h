#pragma once
// How one keychain item is kept in the Secret Service: its value is the secret (bytes, as
// "application/octet-stream"), everything else is a lookup attribute of the schema
// "org.corvane.Keychain":
//
//   class           "1" generic password, "2" internet password
//   service, group, account
//                   the identity texts (group is the access group)
//   synchronizable  "0" or "1"
//   accessible      "1" to "7" (SecAccessible)
//   access-control  the policy flags in decimal, only for an item stored under one
//   generic         Base64, label, comment: only when the item has them
//
// Attributes travel as D-Bus strings, which must be UTF-8 without NUL, while the item's
// texts may hold any bytes. A text that is not such a string, or that starts with U+0001,
// is kept as U+0001 followed by the Base64 of its bytes, so every text round-trips.
#include <map>
#include <optional>
#include <string>

#include "platform/secitem/sec_item.h"

namespace corvane::platform::secretservice {

inline constexpr const char* kSchemaName = "org.corvane.Keychain";

using Attributes = std::map<std::string, std::string>;

Attributes encodeAttributes(const SecItem& item);

// The item the attributes describe, its value left empty; none when they are not ours
// (a missing identity attribute, a number out of range, bad Base64).
std::optional<SecItem> decodeAttributes(const Attributes& attributes);

// What a keyring manager shows for the item: its label, or "<service> (<account>)".
std::string displayLabel(const SecItem& item);

}  // namespace corvane::platform::secretservice
