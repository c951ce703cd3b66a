#include "ui/app/window_launch.h"

#include "ui/platform/painter_glyph_probe.h"

namespace corvane::ui {

WindowLaunch::WindowLaunch(tunnelcore::TunnelCore& core, platform::Log log, platform::UserInterfaceIdiom idiom,
                           std::unique_ptr<platform::GlyphProbe> probe)
    : probe_(probe ? std::move(probe) : std::make_unique<PainterGlyphProbe>()),
      // The window's own timer refreshes due profiles while it runs.
      updates_(core, log, true),
      delegate_(std::make_unique<app::ApplicationDelegate>(
          app::ApplicationDelegate::Services{core, updates_, *probe_, idiom, log})) {
  delegate_->didFinishLaunching();
}

WindowLaunch::~WindowLaunch() = default;

}  // namespace corvane::ui
