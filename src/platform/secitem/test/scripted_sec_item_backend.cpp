#include "platform/secitem/test/scripted_sec_item_backend.h"

#include <algorithm>

namespace corvane::platform {

void ScriptedSecItemBackend::script(SecOperation operation, SecStatus status,
                                    std::optional<SecData> data) {
  std::lock_guard lock(mutex_);
  scripts_.push_back({operation, {status, std::move(data)}});
}

void ScriptedSecItemBackend::failAccessControl(std::optional<Error> error) {
  std::lock_guard lock(mutex_);
  accessControlFails_ = true;
  accessControlError_ = std::move(error);
}

std::vector<SecCall> ScriptedSecItemBackend::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<SecItem> ScriptedSecItemBackend::items() const {
  std::lock_guard lock(mutex_);
  return table_.items();
}

void ScriptedSecItemBackend::clearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

std::optional<SecCopyResult> ScriptedSecItemBackend::takeScript(SecOperation operation) {
  const auto found = std::find_if(scripts_.begin(), scripts_.end(),
                                  [&](const Scripted& s) { return s.operation == operation; });
  if (found == scripts_.end()) {
    return std::nullopt;
  }
  SecCopyResult answer = std::move(found->answer);
  scripts_.erase(found);
  return answer;
}

SecCopyResult ScriptedSecItemBackend::copyMatching(const SecItemDictionary& query) {
  std::lock_guard lock(mutex_);
  calls_.push_back({SecOperation::copyMatching, query, {}});
  if (auto scripted = takeScript(SecOperation::copyMatching)) {
    return *scripted;
  }
  return table_.copyMatching(query);
}

SecStatus ScriptedSecItemBackend::add(const SecItemDictionary& attributes) {
  std::lock_guard lock(mutex_);
  calls_.push_back({SecOperation::add, {}, attributes});
  if (auto scripted = takeScript(SecOperation::add)) {
    return scripted->status;
  }
  return table_.add(attributes);
}

SecStatus ScriptedSecItemBackend::update(const SecItemDictionary& query,
                                         const SecItemDictionary& attributes) {
  std::lock_guard lock(mutex_);
  calls_.push_back({SecOperation::update, query, attributes});
  if (auto scripted = takeScript(SecOperation::update)) {
    return scripted->status;
  }
  return table_.update(query, attributes);
}

SecStatus ScriptedSecItemBackend::deleteItems(const SecItemDictionary& query) {
  std::lock_guard lock(mutex_);
  calls_.push_back({SecOperation::deleteItems, query, {}});
  if (auto scripted = takeScript(SecOperation::deleteItems)) {
    return scripted->status;
  }
  return table_.deleteItems(query);
}

std::optional<SecAccessControl> ScriptedSecItemBackend::createAccessControl(
    SecAccessible accessible, SecAccessControlFlags flags, std::optional<Error>& error) {
  std::lock_guard lock(mutex_);
  if (accessControlFails_) {
    error = accessControlError_;
    return std::nullopt;
  }
  return SecAccessControl{accessible, flags};
}

}  // namespace corvane::platform
