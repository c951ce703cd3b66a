#pragma once
// The attribute dictionary of one keychain item operation: a query (what to match and what
// to return) or the attributes to store. Every key is optional, as in the platform's
// dictionaries; an absent key means "not part of this request".
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::platform {

using SecData = std::vector<std::uint8_t>;

enum class SecItemClass : std::uint8_t { genericPassword = 1, internetPassword = 2 };

// In a query, `any` matches items whether or not they synchronise; an absent value matches
// only items that do not. Stored items are always `no` or `yes`.
enum class SecSynchronizable : std::uint8_t { no = 0, yes = 1, any = 2 };

// When the item may be read. The numbering is the store's own and is kept in the item file.
enum class SecAccessible : std::uint8_t {
  whenUnlocked = 1,
  afterFirstUnlock = 2,
  always = 3,
  whenPasscodeSetThisDeviceOnly = 4,
  whenUnlockedThisDeviceOnly = 5,
  afterFirstUnlockThisDeviceOnly = 6,
  alwaysThisDeviceOnly = 7,
};

enum class SecMatchLimit : std::uint8_t { one, all };

// Authentication policy flags of an access-control object; 0 means no policy.
using SecAccessControlFlags = std::uint32_t;
namespace secaccess {
inline constexpr SecAccessControlFlags kUserPresence = 1u << 0;
inline constexpr SecAccessControlFlags kBiometryAny = 1u << 1;
inline constexpr SecAccessControlFlags kBiometryCurrentSet = 1u << 3;
inline constexpr SecAccessControlFlags kDevicePasscode = 1u << 4;
inline constexpr SecAccessControlFlags kApplicationPassword = 1u << 31;
}  // namespace secaccess

// Made by SecItemBackend::createAccessControl; stands in for `accessible` when present.
struct SecAccessControl {
  SecAccessible accessible = SecAccessible::whenUnlocked;
  SecAccessControlFlags flags = 0;
  friend bool operator==(const SecAccessControl&, const SecAccessControl&) = default;
};

struct SecItemDictionary {
  // Identity of an item: (class, service, access group, account).
  std::optional<SecItemClass> itemClass;
  std::optional<std::string> service;
  std::optional<std::string> accessGroup;
  std::optional<std::string> account;
  std::optional<SecSynchronizable> synchronizable;

  // Query options.
  std::optional<SecMatchLimit> matchLimit;
  bool returnData = false;
  // Text shown if the read needs the user to authenticate.
  std::optional<std::string> operationPrompt;
  // Fail with kInteractionNotAllowed instead of asking the user.
  bool authenticationUIFail = false;

  // Stored attributes.
  std::optional<SecData> valueData;
  std::optional<SecAccessible> accessible;
  std::optional<SecAccessControl> accessControl;
  std::optional<SecData> generic;
  std::optional<std::string> label;
  std::optional<std::string> comment;

  friend bool operator==(const SecItemDictionary&, const SecItemDictionary&) = default;
};

}  // namespace corvane::platform
