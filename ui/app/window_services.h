#pragma once
// The services behind the window's screen models, over the Qt main loop: the stores under
// the user's folders, the keychain, the HTTP loader and API client, the echo engine for the
// picker's latency, and the URL opener.
#include <memory>
#include <string>

#include "screenkit/services.h"
#include "platform/lifecycle/app_lifecycle.h"
#include "platform/opener/url_opener.h"

namespace corvane::ui {

class QtMainLoop;

class WindowServices {
 public:
  // `opener` opens URLs outside the app; `localeIdentifier` picks the texts ("zh_CN").
  // Throws std::runtime_error with a readable message when a store cannot be opened.
  WindowServices(QtMainLoop& loop, std::unique_ptr<platform::UrlOpener> opener,
                 std::string localeIdentifier);
  ~WindowServices();
  WindowServices(const WindowServices&) = delete;
  WindowServices& operator=(const WindowServices&) = delete;

  screenkit::Services services();
  // The "background" and "active" moments the echo engine follows.
  platform::AppLifecycle& lifecycle();

  struct Parts;

 private:
  QtMainLoop& loop_;
  std::unique_ptr<Parts> parts_;
  std::string localeIdentifier_;
};

}  // namespace corvane::ui
