#include "daemon/dns/resolv_conf_dns.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

namespace corvane::daemon::dns {
namespace {

constexpr const char* kDomain = "Dns";
// A resolv.conf is a few hundred bytes; a larger file is read up to this much.
constexpr std::size_t kMaxFile = 256 * 1024;

Result<std::string> readFile(const std::filesystem::path& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Error(kDomain, errno, fmt::format("read {}: {}", path.string(), std::strerror(errno)));
  std::string out;
  char buffer[4096];
  ssize_t n = 0;
  while (out.size() < kMaxFile && (n = read(fd, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
  close(fd);
  return out;
}

// Truncates and writes in place: the inode (and any bind mount on it) stays. `durable` syncs
// before returning (the backup must be on disk before the file it saves changes).
Result<void> writeInPlace(const std::filesystem::path& path, const std::string& content, int createMode,
                          bool durable = false) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, createMode);
  if (fd < 0 && errno == ELOOP) fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);  // resolv.conf may be a link
  if (fd < 0) return Error(kDomain, errno, fmt::format("write {}: {}", path.string(), std::strerror(errno)));
  std::size_t done = 0;
  while (done < content.size()) {
    ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int error = errno;
      close(fd);
      return Error(kDomain, error, fmt::format("write {}: {}", path.string(), std::strerror(error)));
    }
    done += static_cast<std::size_t>(n);
  }
  if (durable) fsync(fd);
  close(fd);
  return Result<void>::success();
}

}  // namespace

Result<void> ResolvConfDns::apply(const DnsSettings& settings) {
  if (settings.servers.empty()) return Result<void>::success();
  std::error_code ignored;
  // Only the first apply saves the original: a second one (reconnect) must not save our own
  // file as the "original".
  if (!std::filesystem::exists(backup_, ignored)) {
    auto original = readFile(resolvConf_);
    if (!original) return original.error();
    // The backup is written and synced before the file changes, so a crash in between
    // leaves the original recoverable.
    if (auto saved = writeInPlace(backup_, *original, 0600, true); !saved) return saved;
  }
  std::string content = "# Written by corvane-tunneld while a tunnel is up; restored when it stops.\n";
  for (const auto& server : settings.servers) content += "nameserver " + server + "\n";
  if (!settings.searchDomains.empty()) {
    content += "search";
    for (const auto& domain : settings.searchDomains) content += " " + domain;
    content += "\n";
  }
  return writeInPlace(resolvConf_, content, 0644);
}

Result<void> ResolvConfDns::restore() {
  std::error_code ignored;
  if (!std::filesystem::exists(backup_, ignored)) return Result<void>::success();
  auto original = readFile(backup_);
  if (!original) return original.error();
  if (auto written = writeInPlace(resolvConf_, *original, 0644); !written) return written;
  std::filesystem::remove(backup_, ignored);
  return Result<void>::success();
}

}  // namespace corvane::daemon::dns
