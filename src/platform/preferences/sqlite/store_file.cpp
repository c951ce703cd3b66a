#include "platform/preferences/sqlite/store_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string>
#include <system_error>

namespace corvane::platform {
namespace fs = std::filesystem;
namespace {

Error fileError(const std::string& what, const fs::path& file, int error) {
  return Error(kStoreFileDomain, error, what + " " + file.string() + ": " + std::strerror(error));
}

std::string utcStamp() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
  return text;
}

bool pathTaken(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

Result<void> preparePrivateFile(const fs::path& file) {
  // O_NOFOLLOW: the store is a plain file of ours, never a link planted to make us write
  // elsewhere (ELOOP). A folder in its place fails with EISDIR. O_NONBLOCK: a FIFO in its
  // place must not hang the open; it is refused below like any other non-file.
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) {
    return fileError("cannot open", file, errno);
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return Error(kStoreFileDomain, EINVAL, file.string() + " is not a plain file");
  }
  const int changed = ::fchmod(fd, 0600);
  const int error = errno;
  ::close(fd);
  if (changed != 0) {
    return fileError("cannot make private", file, error);
  }
  return {};
}

Result<fs::path> moveAside(const fs::path& file) {
  const std::string base = file.string() + ".corrupt-" + utcStamp();
  fs::path target = base;
  // Bounded: a hundred corrupt files within one second means something else is wrong.
  for (int n = 2; pathTaken(target); ++n) {
    if (n > 100) {
      return fileError("no free name to move aside", file, EEXIST);
    }
    target = base + "-" + std::to_string(n);
  }
  if (::rename(file.c_str(), target.c_str()) != 0) {
    return fileError("cannot move aside", file, errno);
  }
  for (const char* suffix : kSqliteCompanionSuffixes) {
    const fs::path companion = file.string() + suffix;
    if (pathTaken(companion) &&
        ::rename(companion.c_str(), (target.string() + suffix).c_str()) != 0) {
      // Opening a new store beside this companion would replay it, so the caller must not.
      return fileError("cannot move aside", companion, errno);
    }
  }
  return target;
}

}  // namespace corvane::platform
