#pragma once
// An in-memory keychain for tests. It answers like the file store (same SecItemTable rules)
// until a test scripts an answer: the next call of an operation then returns the scripted
// status without touching the items. Every call is recorded with its dictionaries, so tests
// can check the queries a caller builds. Safe from any thread.
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/secitem/sec_item_backend.h"
#include "platform/secitem/sec_item_table.h"

namespace corvane::platform {

enum class SecOperation { copyMatching, add, update, deleteItems };

struct SecCall {
  SecOperation operation;
  SecItemDictionary query;       // copy matching, update, delete
  SecItemDictionary attributes;  // add, update
};

class ScriptedSecItemBackend final : public SecItemBackend {
 public:
  // The next unscripted call of `operation` answers `status`; for copy matching also `data`.
  // Several scripts for one operation are used in order.
  void script(SecOperation operation, SecStatus status, std::optional<SecData> data = {});
  // What createAccessControl answers from now on: absent with `error`, instead of success.
  void failAccessControl(std::optional<Error> error);

  std::vector<SecCall> calls() const;
  std::vector<SecItem> items() const;
  void clearCalls();

  SecCopyResult copyMatching(const SecItemDictionary& query) override;
  SecStatus add(const SecItemDictionary& attributes) override;
  SecStatus update(const SecItemDictionary& query, const SecItemDictionary& attributes) override;
  SecStatus deleteItems(const SecItemDictionary& query) override;
  std::optional<SecAccessControl> createAccessControl(SecAccessible accessible,
                                                      SecAccessControlFlags flags,
                                                      std::optional<Error>& error) override;

 private:
  struct Scripted {
    SecOperation operation;
    SecCopyResult answer;
  };
  // The scripted answer for `operation`, removed from the queue; none when unscripted.
  std::optional<SecCopyResult> takeScript(SecOperation operation);

  mutable std::mutex mutex_;
  SecItemTable table_;
  std::deque<Scripted> scripts_;
  std::vector<SecCall> calls_;
  bool accessControlFails_ = false;
  std::optional<Error> accessControlError_;
};

}  // namespace corvane::platform
