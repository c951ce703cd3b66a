#include "platform/secitem/sec_item_table.h"

#include <algorithm>

namespace corvane::platform {
namespace {

// Applies the stored-attribute keys of `attributes` to `item` (add and update share this).
// Returns kParam for a request that cannot describe a stored item.
SecStatus applyAttributes(SecItem& item, const SecItemDictionary& attributes) {
  if (attributes.itemClass && *attributes.itemClass != item.itemClass) {
    return secstatus::kParam;  // an item cannot change its class
  }
  if (attributes.service) item.service = *attributes.service;
  if (attributes.accessGroup) item.accessGroup = *attributes.accessGroup;
  if (attributes.account) item.account = *attributes.account;
  if (attributes.synchronizable) {
    if (*attributes.synchronizable == SecSynchronizable::any) {
      return secstatus::kParam;  // "any" only makes sense in a query
    }
    item.synchronizable = *attributes.synchronizable == SecSynchronizable::yes;
  }
  if (attributes.accessControl) {
    item.accessible = attributes.accessControl->accessible;
    item.accessControlFlags = attributes.accessControl->flags;
  } else if (attributes.accessible) {
    item.accessible = *attributes.accessible;
    item.accessControlFlags.reset();
  }
  if (attributes.valueData) item.value = *attributes.valueData;
  if (attributes.generic) item.generic = attributes.generic;
  if (attributes.label) item.label = attributes.label;
  if (attributes.comment) item.comment = attributes.comment;
  return secstatus::kSuccess;
}

}  // namespace

bool SecItemTable::matches(const SecItem& item, const SecItemDictionary& query) {
  if (query.itemClass != item.itemClass) return false;
  if (query.service && *query.service != item.service) return false;
  if (query.accessGroup && *query.accessGroup != item.accessGroup) return false;
  if (query.account && *query.account != item.account) return false;
  const SecSynchronizable sync = query.synchronizable.value_or(SecSynchronizable::no);
  if (sync != SecSynchronizable::any && (sync == SecSynchronizable::yes) != item.synchronizable) {
    return false;
  }
  if (query.generic && query.generic != item.generic) return false;
  if (query.label && query.label != item.label) return false;
  if (query.comment && query.comment != item.comment) return false;
  return true;
}

SecCopyResult SecItemTable::copyMatching(const SecItemDictionary& query) const {
  if (!query.itemClass) {
    return {secstatus::kParam, std::nullopt};
  }
  // Returning the data of every match at once is refused, as the platform refuses it.
  if (query.returnData && query.matchLimit == SecMatchLimit::all) {
    return {secstatus::kParam, std::nullopt};
  }
  const auto found = std::find_if(items_.begin(), items_.end(),
                                  [&](const SecItem& item) { return matches(item, query); });
  if (found == items_.end()) {
    return {secstatus::kItemNotFound, std::nullopt};
  }
  // Items under an authentication policy need the user before they can be read.
  if (found->accessControlFlags.value_or(0) != 0 && query.returnData &&
      query.authenticationUIFail) {
    return {secstatus::kInteractionNotAllowed, std::nullopt};
  }
  if (!query.returnData) {
    return {secstatus::kSuccess, std::nullopt};
  }
  return {secstatus::kSuccess, found->value};
}

SecStatus SecItemTable::add(const SecItemDictionary& attributes) {
  if (!attributes.itemClass) {
    return secstatus::kParam;
  }
  SecItem item;
  item.itemClass = *attributes.itemClass;
  if (const SecStatus status = applyAttributes(item, attributes); status != secstatus::kSuccess) {
    return status;
  }
  if (std::any_of(items_.begin(), items_.end(),
                  [&](const SecItem& existing) { return existing.sameIdentity(item); })) {
    return secstatus::kDuplicateItem;
  }
  items_.push_back(std::move(item));
  return secstatus::kSuccess;
}

SecStatus SecItemTable::update(const SecItemDictionary& query,
                               const SecItemDictionary& attributes) {
  if (!query.itemClass) {
    return secstatus::kParam;
  }
  // Work on a copy so a request that fails half-way changes nothing.
  std::vector<SecItem> next = items_;
  bool any = false;
  for (SecItem& item : next) {
    if (!matches(item, query)) continue;
    any = true;
    if (const SecStatus status = applyAttributes(item, attributes); status != secstatus::kSuccess) {
      return status;
    }
  }
  if (!any) {
    return secstatus::kItemNotFound;
  }
  // Renaming an item onto another one's identity would leave two items with one identity.
  for (std::size_t i = 0; i < next.size(); ++i) {
    for (std::size_t j = i + 1; j < next.size(); ++j) {
      if (next[i].sameIdentity(next[j])) return secstatus::kDuplicateItem;
    }
  }
  items_ = std::move(next);
  return secstatus::kSuccess;
}

SecStatus SecItemTable::deleteItems(const SecItemDictionary& query) {
  if (!query.itemClass) {
    return secstatus::kParam;
  }
  const auto removed = std::erase_if(items_, [&](const SecItem& item) { return matches(item, query); });
  return removed == 0 ? secstatus::kItemNotFound : secstatus::kSuccess;
}

SecItemDictionary storeRequest(const SecItem& item) {
  SecItemDictionary d = identityQuery(item);
  d.synchronizable = item.synchronizable ? SecSynchronizable::yes : SecSynchronizable::no;
  if (item.accessControlFlags) {
    d.accessControl = SecAccessControl{item.accessible, *item.accessControlFlags};
  } else {
    d.accessible = item.accessible;
  }
  d.valueData = item.value;
  d.generic = item.generic;
  d.label = item.label;
  d.comment = item.comment;
  return d;
}

SecItemDictionary identityQuery(const SecItem& item) {
  SecItemDictionary q;
  q.itemClass = item.itemClass;
  q.service = item.service;
  q.accessGroup = item.accessGroup;
  q.account = item.account;
  q.synchronizable = SecSynchronizable::any;
  return q;
}

}  // namespace corvane::platform
