#include "platform/opener/url_opener.h"

#include <cstdlib>
#include <thread>

#include "platform/opener/url_text.h"
#include "platform/process/process.h"

namespace corvane::platform {

void XdgUrlOpener::open(const std::string& url) {
  if (!isOpenableUrl(url)) {
    log_.error("Refused to open a URL with an unsupported scheme: " + url);
    return;
  }
  ProcessOptions options;
  // The URL is one argument of its own: no shell ever sees it.
  options.argv = {"xdg-open", url};
  auto started = Process::start(std::move(options));
  if (!started) {
    log_.warning("Cannot start xdg-open: " + started.error().description);
    return;
  }
  // xdg-open may wait for the handler it starts; reap it off the caller's thread. After an
  // hour it is stopped (the browser it started runs on in its own right).
  std::thread([child = std::move(*started)]() mutable { child.waitOrKill(std::chrono::hours(1)); }).detach();
}

void RecordingUrlOpener::open(const std::string& url) {
  // What is recorded is shown to the user as opened: the same schemes only.
  if (!isOpenableUrl(url)) return;
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
