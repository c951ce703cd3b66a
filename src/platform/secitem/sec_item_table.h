#pragma once
// The matching rules of the keychain item operations over a plain list of items. Every
// backend that keeps its own items (the file store, the scripted test backend) runs its
// requests through this, so they all answer the same statuses for the same requests.
// Not thread-safe: the owner serialises access.
#include <vector>

#include "platform/secitem/sec_item.h"
#include "platform/secitem/sec_item_backend.h"

namespace corvane::platform {

class SecItemTable {
 public:
  SecItemTable() = default;
  explicit SecItemTable(std::vector<SecItem> items) : items_(std::move(items)) {}

  SecCopyResult copyMatching(const SecItemDictionary& query) const;
  SecStatus add(const SecItemDictionary& attributes);
  SecStatus update(const SecItemDictionary& query, const SecItemDictionary& attributes);
  SecStatus deleteItems(const SecItemDictionary& query);

  const std::vector<SecItem>& items() const { return items_; }

  static bool matches(const SecItem& item, const SecItemDictionary& query);

 private:
  std::vector<SecItem> items_;
};

// The request that stores `item` as it is (add), and the query that matches exactly its
// identity whether or not it synchronises: for moving items between stores.
SecItemDictionary storeRequest(const SecItem& item);
SecItemDictionary identityQuery(const SecItem& item);

}  // namespace corvane::platform
