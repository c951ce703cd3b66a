#include "platform/secitem/file/keychain_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "platform/paths/paths.h"

namespace corvane::platform {
namespace {

// Who holds which lock file in this process.
struct Holder {
  std::thread::id thread;
  int depth = 0;
  int fd = -1;  // -1 while the holder is still waiting for the flock
};

struct Holders {
  std::mutex mutex;
  std::condition_variable released;
  std::map<std::string, Holder> byFile;
};

Holders& holders() {
  static Holders* all = new Holders;  // never destroyed: a lock may be released at exit
  return *all;
}

// Opens and flocks `lockFile`; the descriptor, or -1 with `error` set.
int takeFileLock(const std::filesystem::path& lockFile, std::string& error) {
  try {
    ensurePrivateDirectory(lockFile.parent_path());
  } catch (const std::exception& e) {
    error = std::string("cannot make the folder of ") + lockFile.string() + ": " + e.what();
    return -1;
  }
  const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    error = "cannot open " + lockFile.string() + ": " + std::strerror(errno);
    return -1;
  }
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      error = "cannot lock " + lockFile.string() + ": " + std::strerror(errno);
      ::close(fd);
      return -1;
    }
  }
  return fd;
}

}  // namespace

KeychainLock::KeychainLock(const std::filesystem::path& itemFile) : key_(lockFileOf(itemFile).string()) {
  Holders& all = holders();
  const auto me = std::this_thread::get_id();
  {
    std::unique_lock guard(all.mutex);
    for (;;) {
      auto found = all.byFile.find(key_);
      if (found == all.byFile.end()) {
        all.byFile[key_] = Holder{me, 1, -1};
        break;
      }
      if (found->second.thread == me) {
        ++found->second.depth;
        return;
      }
      all.released.wait(guard);
    }
  }
  // This thread is the holder within the process; the flock is waited for outside the mutex,
  // so that other files' locks are not held up meanwhile.
  const int fd = takeFileLock(key_, error_);
  std::lock_guard guard(all.mutex);
  if (fd < 0) {
    all.byFile.erase(key_);
    all.released.notify_all();
    return;
  }
  all.byFile[key_].fd = fd;
}

KeychainLock::~KeychainLock() {
  if (!error_.empty()) return;
  Holders& all = holders();
  std::lock_guard guard(all.mutex);
  auto found = all.byFile.find(key_);
  if (found == all.byFile.end() || --found->second.depth > 0) return;
  ::close(found->second.fd);  // closing drops the flock
  all.byFile.erase(found);
  all.released.notify_all();
}

}  // namespace corvane::platform
