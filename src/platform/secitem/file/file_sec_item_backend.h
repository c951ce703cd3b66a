#pragma once
// Keychain items in one private file (0600 in a 0700 folder), for machines without a
// session keyring. Items survive restarts; the file is not encrypted: its protection is
// the file mode, as for the preference store.
//
// Every operation takes the keychain's lock (keychain_lock.h), reads the file, runs the
// request through SecItemTable and, when it changed something, writes the whole file
// again: a temporary file in the same folder, fsync, rename over the old file, fsync the
// folder. So a crash leaves the old or the new file, never a mix, and two processes that
// write at the same time both keep their changes.
//
// A file that does not decode is moved aside ("<file>.corrupt-<UTC time>"), logged with
// both names, and the store starts empty; it is never deleted. A file written by a newer
// version is left alone and every operation answers kNotAvailable.
#include <filesystem>
#include <functional>

#include "platform/log/log.h"
#include "platform/paths/paths.h"
#include "platform/secitem/sec_item_backend.h"
#include "platform/secitem/sec_item_table.h"

namespace corvane::platform {

class FileSecItemBackend final : public SecItemBackend {
 public:
  FileSecItemBackend(std::filesystem::path file, Log log);

  // <data folder>/keychain.db
  static std::filesystem::path defaultFile(const Paths& paths);

  const std::filesystem::path& file() const { return file_; }

  SecCopyResult copyMatching(const SecItemDictionary& query) override;
  SecStatus add(const SecItemDictionary& attributes) override;
  SecStatus update(const SecItemDictionary& query, const SecItemDictionary& attributes) override;
  SecStatus deleteItems(const SecItemDictionary& query) override;
  // A file cannot make the reader prove anything, so any policy beyond "none" is refused
  // rather than silently stored without the protection it asks for.
  std::optional<SecAccessControl> createAccessControl(SecAccessible accessible,
                                                      SecAccessControlFlags flags,
                                                      std::optional<Error>& error) override;

  // Offers every stored item to `take` under the lock and removes the ones it took, in one
  // write: for moving the items to another store, where `take` answers true only once the
  // item is safely stored there. `take` runs on this thread with the lock held, so it may
  // take the lock again (the Secret Service's changes do). kSuccess also when nothing was taken; otherwise the status
  // of the failed read or write (then nothing is removed).
  SecStatus drainItems(const std::function<bool(const SecItem&)>& take);

 private:
  // Runs `request` on the current items under the lock; writes them back when `request`
  // reports success and `writes` is true.
  template <typename Request>
  SecStatus transact(bool writes, Request&& request);

  std::filesystem::path file_;
  Log log_;
};

}  // namespace corvane::platform
