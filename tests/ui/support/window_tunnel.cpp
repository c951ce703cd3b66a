#include "ui/support/window_tunnel.h"

#include <stdexcept>

#include "platform/paths/paths.h"
#include "tunnelcore/core_setup.h"

namespace corvane::test {

WindowTunnel::WindowTunnel(screenkit::Services base, platform::UrlLoader& loader)
    : daemon(base.mainLoop), vpn(daemon, base.notifications), base_(std::move(base)) {
  const auto folders = tunnelcore::FilePath::fromPaths(platform::Paths::fromEnvironment());
  if (!tunnelcore::CoreSetup(folders.sharedDirectory, folders.workingDirectory, folders.cacheDirectory, false)) {
    throw std::runtime_error("CoreSetup failed under " + folders.sharedDirectory.string());
  }
  auto opened = tunnelcore::TunnelCore::open(folders, daemon, loader, base_.mainLoop, background_,
                                             base_.notifications);
  if (!opened) throw std::runtime_error(opened.error().toString());
  core = std::move(*opened);
}

WindowTunnel::~WindowTunnel() = default;

screenkit::Services WindowTunnel::services() {
  screenkit::Services s = base_;
  return screenkit::Services{.preferences = s.preferences,
                             .groupPreferences = s.groupPreferences,
                             .keychain = s.keychain,
                             .api = s.api,
                             .notifications = s.notifications,
                             .mainLoop = s.mainLoop,
                             .opener = s.opener,
                             .vpn = vpn,
                             .log = s.log,
                             .latency = s.latency,
                             .localeIdentifier = s.localeIdentifier,
                             .makeRoot = s.makeRoot,
                             .tunnelCore = core.get()};
}

}  // namespace corvane::test
