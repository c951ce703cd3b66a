#include "ui/window/xvfb_display.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace corvane::test {

std::optional<XvfbDisplay> XvfbDisplay::start() {
  if (access("/usr/bin/Xvfb", X_OK) != 0) return std::nullopt;
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlives the test program
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24",
          "-nolisten", "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes the display number once it accepts clients.
  std::string number;
  pollfd ready{fds[0], POLLIN, 0};
  while (poll(&ready, 1, 5000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return std::nullopt;
  }
  return XvfbDisplay(pid, ":" + number);
}

XvfbDisplay::XvfbDisplay(XvfbDisplay&& other) noexcept
    : pid_(other.pid_), display_(std::move(other.display_)) {
  other.pid_ = -1;
}

XvfbDisplay::~XvfbDisplay() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

}  // namespace corvane::test
