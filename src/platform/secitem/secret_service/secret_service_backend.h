#pragma once
// Keychain items in the session's Secret Service (libsecret), one Secret Service item per
// keychain item, in the default collection (item_attributes.h has the mapping).
//
// Every request runs through SecItemTable over the items of our schema, so it answers the
// same statuses as the file store: each operation lists those items (attributes only),
// lets the table decide, then makes the changes the table made. Values are fetched only
// for the one item a read returns.
//
// Every D-Bus call is bounded (bounded_call.h): a bus or keyring that stops answering
// costs one time-out per operation, which then answers kNotAvailable. An item whose
// collection was locked meanwhile answers kInteractionNotAllowed: this backend never
// shows an unlock prompt, since a command-line user may have no one to show it to.
//
// A change lists the items and then changes them, so another program could change the same
// items in between. Every change therefore holds the keychain's lock (keychain_lock.h) of
// the item file named in the options, the one the file store and the move from it hold:
// our programs change our items one after the other. Reads take no lock. Safe to call from
// any thread (one mutex, taken after the lock).
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>

#include "platform/core/result.h"
#include "platform/log/log.h"
#include "platform/secitem/sec_item.h"
#include "platform/secitem/sec_item_backend.h"

namespace corvane::platform {

class SecretServiceBackend final : public SecItemBackend {
 public:
  struct Options {
    // Connecting, opening a session and finding the default collection, each.
    std::chrono::milliseconds openTimeout{2000};
    // Each D-Bus call of an operation.
    std::chrono::milliseconds callTimeout{5000};
    // The item file whose lock every change holds; empty: none (a lone test keyring).
    std::filesystem::path lockedWith;
  };

  // The session bus's Secret Service with an unlocked default collection, or an Error
  // saying why not (no service, no answer in time, no default collection, locked).
  static Result<std::unique_ptr<SecretServiceBackend>> open(Log log, Options options);
  ~SecretServiceBackend() override;

  SecCopyResult copyMatching(const SecItemDictionary& query) override;
  SecStatus add(const SecItemDictionary& attributes) override;
  SecStatus update(const SecItemDictionary& query, const SecItemDictionary& attributes) override;
  SecStatus deleteItems(const SecItemDictionary& query) override;
  // The Secret Service can ask to unlock a collection but cannot make the user prove
  // presence for one item, so any policy beyond "none" is refused, as the file store does.
  std::optional<SecAccessControl> createAccessControl(SecAccessible accessible,
                                                      SecAccessControlFlags flags,
                                                      std::optional<Error>& error) override;

  // The stored item of `identity`'s identity, value included (kItemNotFound when none):
  // for checking a copy field by field.
  SecStatus read(const SecItem& identity, SecItem& out);

 private:
  struct Impl;
  class ChangeLock;
  explicit SecretServiceBackend(std::unique_ptr<Impl> impl);

  std::unique_ptr<Impl> impl_;
  std::mutex mutex_;
};

}  // namespace corvane::platform
