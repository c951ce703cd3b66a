#include "daemon/engines/orphan_programs.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace corvane::daemon::engines {
namespace {

// A process's command line, or nothing. Processes end all the time on a busy machine, and one
// reaped between open and read answers ESRCH: that is an answer like any other here (a stream
// would throw it out of the daemon's start instead).
std::string commandLineOf(const std::filesystem::path& process) {
  constexpr std::size_t kMaxBytes = 64 * 1024;
  std::string text;
  const int fd = open((process / "cmdline").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buffer[4096];
  while (text.size() < kMaxBytes) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  return text;
}

}  // namespace

int killProgramsUsing(const std::filesystem::path& folder) {
  if (folder.empty() || folder == "/") return 0;
  const std::string prefix = folder.string() + "/";
  int killed = 0;
  std::error_code error;
  int seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    if (++seen > 100000) break;
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = static_cast<pid_t>(std::atoi(name.c_str()));
    if (pid == getpid()) continue;
    const std::string cmdline = commandLineOf(entry.path());
    std::size_t at = 0;
    bool uses = false;
    // Arguments are NUL-separated; argv[0] is skipped (a program may live under the folder
    // only in tests, and is never one of ours to kill by that alone).
    for (std::size_t end = cmdline.find('\0'); end != std::string::npos && !uses; end = cmdline.find('\0', at)) {
      at = end + 1;
      uses = cmdline.compare(at, prefix.size(), prefix) == 0;
    }
    if (uses && kill(pid, SIGKILL) == 0) ++killed;
  }
  return killed;
}

}  // namespace corvane::daemon::engines
