#pragma once
// Opens a URL outside the app: the mail client for "mailto:", the browser or a chat
// application otherwise. Fire and forget, as the screens use it: no options, no completion.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/log/log.h"

namespace corvane::platform {

class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  virtual void open(const std::string& url) = 0;
};

// Hands the URL to xdg-open, which picks the desktop's handler. The child is spawned
// without a shell (the URL is one argv entry) and reaped in the background. Only the schemes
// of isOpenableUrl (url_text.h) are handed on; anything else is refused with a log line.
class XdgUrlOpener final : public UrlOpener {
 public:
  explicit XdgUrlOpener(Log log) : log_(std::move(log)) {}
  void open(const std::string& url) override;

 private:
  Log log_;
};

// Where no desktop exists (a server, a test, the CLI over ssh) the URL is kept so that the
// caller can show it: corvanectl prints what was opened. URLs of other schemes than
// isOpenableUrl's are refused here too.
class RecordingUrlOpener final : public UrlOpener {
 public:
  void open(const std::string& url) override;
  std::vector<std::string> opened() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> opened_;
};

// True when a graphical session is reachable (DISPLAY or WAYLAND_DISPLAY is set).
bool desktopAvailable();

}  // namespace corvane::platform
