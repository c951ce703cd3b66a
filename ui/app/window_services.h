#pragma once
// The services behind the window's screen models: the composition root over the Qt main
// loop, with the window's own URL opener, the echo engine for the picker's latency and the
// tunnel side (the tunnel service's client and the tunnel core over it).
#include <functional>
#include <memory>
#include <string>

#include "app/composition_root.h"
#include "platform/lifecycle/app_lifecycle.h"
#include "platform/opener/url_opener.h"
#include "screenkit/services.h"

namespace corvane::ui {

class QtMainLoop;

class WindowServices {
 public:
  // `opener` opens URLs outside the app; `localeIdentifier` picks the texts ("zh_CN").
  // Throws std::runtime_error with a readable message when a store cannot be opened.
  // `adjust` may change the root's options last (tests hand in a fake tunnel service).
  using Adjust = std::function<void(app::CompositionRoot::Options&)>;
  WindowServices(QtMainLoop& loop, std::unique_ptr<platform::UrlOpener> opener,
                 std::string localeIdentifier, const Adjust& adjust = {});
  WindowServices(const WindowServices&) = delete;
  WindowServices& operator=(const WindowServices&) = delete;

  screenkit::Services services() { return root_.services(); }
  // The "background" and "active" moments the echo engine follows.
  platform::AppLifecycle& lifecycle() { return *root_.lifecycle(); }
  app::CompositionRoot& root() { return root_; }

 private:
  app::CompositionRoot root_;
};

}  // namespace corvane::ui
