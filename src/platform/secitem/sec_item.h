#pragma once
// One stored keychain item. Its identity is (itemClass, service, accessGroup, account);
// an item added without a service, group or account keeps the empty text there.
#include <optional>
#include <string>

#include "platform/secitem/sec_item_dictionary.h"

namespace corvane::platform {

struct SecItem {
  SecItemClass itemClass = SecItemClass::genericPassword;
  std::string service;
  std::string accessGroup;
  std::string account;
  bool synchronizable = false;
  SecAccessible accessible = SecAccessible::whenUnlocked;
  // Set when the item was stored under an access-control object instead of `accessible`.
  std::optional<SecAccessControlFlags> accessControlFlags;
  SecData value;
  std::optional<SecData> generic;
  std::optional<std::string> label;
  std::optional<std::string> comment;

  bool sameIdentity(const SecItem& other) const {
    return itemClass == other.itemClass && service == other.service &&
           accessGroup == other.accessGroup && account == other.account;
  }
  friend bool operator==(const SecItem&, const SecItem&) = default;
};

}  // namespace corvane::platform
