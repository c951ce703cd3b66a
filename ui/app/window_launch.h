#pragma once
// What the window runs at start over the tunnel core: the launch object with the background
// profile refresh (the window's own main-loop timer while it runs) and the flag-glyph test
// drawn with QPainter. The window is a desktop app, so its idiom skips the permission step;
// the phone idiom is there for the tests.
#include <memory>

#include "app/application_delegate.h"
#include "platform/device/user_interface_idiom.h"
#include "platform/glyph/glyph_probe.h"
#include "platform/log/log.h"
#include "tunnel/profile_update_task.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::ui {

class WindowLaunch {
 public:
  // `probe` null draws with QPainter. Runs the launch callback at once; the start-up
  // sequence follows on the main loop.
  WindowLaunch(tunnelcore::TunnelCore& core, platform::Log log,
               platform::UserInterfaceIdiom idiom = platform::UserInterfaceIdiom::desktop,
               std::unique_ptr<platform::GlyphProbe> probe = nullptr);
  ~WindowLaunch();
  WindowLaunch(const WindowLaunch&) = delete;
  WindowLaunch& operator=(const WindowLaunch&) = delete;

  app::ApplicationDelegate& delegate() { return *delegate_; }

 private:
  std::unique_ptr<platform::GlyphProbe> probe_;
  tunnel::ProfileUpdateTask updates_;
  std::unique_ptr<app::ApplicationDelegate> delegate_;
};

}  // namespace corvane::ui
