#pragma once
// The four keychain item operations, over attribute dictionaries, with the platform's
// status codes (sec_status.h). Implementations: SecretServiceBackend (the session keyring),
// FileSecItemBackend (a private file under the data folder) and ScriptedSecItemBackend for
// tests; sec_item_backend_factory.h picks one. All of them are safe to call from any thread.
#include <optional>

#include "platform/core/error.h"
#include "platform/secitem/sec_item_dictionary.h"
#include "platform/secitem/sec_status.h"

namespace corvane::platform {

struct SecCopyResult {
  SecStatus status = secstatus::kItemNotFound;
  // The first match's value, when the query asked for data and the status is kSuccess.
  std::optional<SecData> data;
};

class SecItemBackend {
 public:
  virtual ~SecItemBackend() = default;

  // Finds items matching `query`. kItemNotFound when none does.
  virtual SecCopyResult copyMatching(const SecItemDictionary& query) = 0;
  // Stores a new item; kDuplicateItem when one with the same identity exists.
  virtual SecStatus add(const SecItemDictionary& attributes) = 0;
  // Changes `attributes` on every item matching `query`; kItemNotFound when none does.
  virtual SecStatus update(const SecItemDictionary& query, const SecItemDictionary& attributes) = 0;
  // Removes every item matching `query`; kItemNotFound when none does.
  virtual SecStatus deleteItems(const SecItemDictionary& query) = 0;

  // An access-control object for `accessible` guarded by `flags`. When it cannot be made the
  // result is absent and `error` says why, if the backend knows.
  virtual std::optional<SecAccessControl> createAccessControl(SecAccessible accessible,
                                                              SecAccessControlFlags flags,
                                                              std::optional<Error>& error) = 0;
};

}  // namespace corvane::platform
