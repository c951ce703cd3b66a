#include "platform/secitem/file/private_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace corvane::platform::secitemfile {
namespace fs = std::filesystem;
namespace {

Error fileError(const std::string& what, const fs::path& path, int err) {
  return Error("keychain file", err, what + " " + path.string() + ": " + std::strerror(err));
}

// Closes the descriptor on every path out of a function.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports the close error, which for a written file can be the write error.
  int close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string temporaryPrefix(const fs::path& file) { return file.filename().string() + ".tmp-"; }

}  // namespace

Result<std::optional<std::string>> readPrivateFile(const fs::path& file, std::size_t maxSize) {
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (fd.get() < 0) {
    if (errno == ENOENT) return std::optional<std::string>();
    return fileError("cannot open", file, errno);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return fileError("cannot stat", file, errno);
  if (!S_ISREG(st.st_mode)) return fileError("not a regular file:", file, EINVAL);
  if (static_cast<std::size_t>(st.st_size) > maxSize) return fileError("too large:", file, EFBIG);
  std::string bytes;
  char buffer[16384];
  // The size check above bounds the loop; a file that grows meanwhile is cut off here too.
  while (bytes.size() <= maxSize) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fileError("cannot read", file, errno);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  if (bytes.size() > maxSize) return fileError("too large:", file, EFBIG);
  return std::optional<std::string>(std::move(bytes));
}

Result<void> replacePrivateFile(const fs::path& file, const std::string& bytes) {
  const fs::path folder = file.parent_path();
  std::string pattern = (folder / (temporaryPrefix(file) + "XXXXXX")).string();
  // mkstemp creates the file 0600 with O_EXCL, so no one else can have it open.
  Fd fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (fd.get() < 0) return fileError("cannot create a temporary beside", file, errno);
  const fs::path temporary = pattern;
  auto fail = [&](const std::string& what, int err) -> Result<void> {
    ::unlink(temporary.c_str());
    return fileError(what, temporary, err);
  };
  if (!writeAll(fd.get(), bytes)) return fail("cannot write", errno);
  if (::fsync(fd.get()) != 0) return fail("cannot sync", errno);
  if (fd.close() != 0) return fail("cannot close", errno);
  if (::rename(temporary.c_str(), file.c_str()) != 0) return fail("cannot rename", errno);
  // The rename is durable only once the folder's entry is on disk.
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0 || ::fsync(dir.get()) != 0) {
    return fileError("cannot sync folder", folder, errno);
  }
  return Result<void>::success();
}

void removeStaleTemporaries(const fs::path& file) {
  const std::string prefix = temporaryPrefix(file);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(file.parent_path(), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) {
      fs::remove(entry.path(), ec);
    }
  }
}

Result<fs::path> moveAside(const fs::path& file) {
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  ::gmtime_r(&now, &utc);
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
  const std::string base = file.string() + ".corrupt-" + stamp;
  // Several bad files within one second get numbered names; 100 tries bound the search.
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const fs::path target = attempt == 1 ? fs::path(base) : fs::path(base + "-" + std::to_string(attempt));
    if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
      return target;
    }
    if (errno == EEXIST) continue;
    // File systems without RENAME_NOREPLACE: link() refuses an existing name just the same.
    if (errno == EINVAL || errno == ENOSYS) {
      if (::link(file.c_str(), target.c_str()) == 0) {
        ::unlink(file.c_str());
        return target;
      }
      if (errno == EEXIST) continue;
    }
    return fileError("cannot move aside", file, errno);
  }
  return fileError("cannot move aside", file, EEXIST);
}

}  // namespace corvane::platform::secitemfile
