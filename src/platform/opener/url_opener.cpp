#include "platform/opener/url_opener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace corvane::platform {

void XdgUrlOpener::open(const std::string& url) {
  std::string program = "xdg-open";
  char* argv[] = {program.data(), const_cast<char*>(url.c_str()), nullptr};
  pid_t pid = 0;
  // posix_spawnp rather than fork+exec: the process has threads (loader, pools), and
  // posix_spawn is safe there.
  const int rc = posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ);
  if (rc != 0) {
    log_.warning(std::string("Cannot start xdg-open: ") + std::strerror(rc));
    return;
  }
  // xdg-open may hand over to a long-lived browser; reap it off the caller's thread.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

void RecordingUrlOpener::open(const std::string& url) {
  std::lock_guard lock(mutex_);
  opened_.push_back(url);
}

std::vector<std::string> RecordingUrlOpener::opened() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

bool desktopAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace corvane::platform
