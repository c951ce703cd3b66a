#pragma once
// The keychain's one lock: an exclusive flock on "<item file>.lock", taken by every change to
// our items, in the file store and in the Secret Service alike, by every program of this
// user. Taken for the move from the file into the Secret Service too, it makes that move and
// any other program's change of the same items happen one after the other.
//
// Within a process the lock belongs to a thread, and that thread may take it again while it
// holds it (the move adds each item to the Secret Service while it holds the file): only the
// outermost hold takes and drops the flock. Other threads of the process wait for it here,
// each without a descriptor of its own.
#include <filesystem>
#include <string>

namespace corvane::platform {

class KeychainLock {
 public:
  // Waits for the lock on "<itemFile>.lock", creating the file (0600) and its folder (0700)
  // when missing.
  explicit KeychainLock(const std::filesystem::path& itemFile);
  ~KeychainLock();
  KeychainLock(const KeychainLock&) = delete;
  KeychainLock& operator=(const KeychainLock&) = delete;

  // Empty when the lock is held; otherwise why it could not be taken (nothing is held then).
  const std::string& error() const { return error_; }

  static std::filesystem::path lockFileOf(const std::filesystem::path& itemFile) {
    return itemFile.string() + ".lock";
  }

 private:
  std::string key_;
  std::string error_;
};

}  // namespace corvane::platform
