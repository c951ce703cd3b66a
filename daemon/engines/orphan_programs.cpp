#include "daemon/engines/orphan_programs.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace corvane::daemon::engines {

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
    std::ifstream file(entry.path() / "cmdline");
    const std::string cmdline((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
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
