#include "tunnel_session.h"

#include <stdexcept>

#include "platform/mainloop/asio/global_queue.h"
#include "platform/paths/paths.h"
#include "tunnel/dashboard_status.h"
#include "tunnel/profile_builder.h"
#include "tunnelcore/core_setup.h"

namespace corvane::cli {

TunnelSession::TunnelSession(ClientSession& session)
    : session_(session),
      socketPath_(platform::SocketTunnelDaemon::socketPathFromEnvironment()),
      daemon_(session.loop(), session.services().log, socketPath_),
      vpn_(daemon_, session.services().notifications),
      background_(platform::GlobalQueue::shared()) {
  auto base = session.services();
  const auto folders = tunnelcore::FilePath::fromPaths(platform::Paths::fromEnvironment());
  if (auto setup = tunnelcore::CoreSetup(folders.sharedDirectory, folders.workingDirectory, folders.cacheDirectory,
                                         false);
      !setup) {
    throw std::runtime_error("cannot prepare the tunnel core's folders: " + setup.error().description);
  }
  auto core = tunnelcore::TunnelCore::open(folders, daemon_, session.urlLoader(), session.loop(), background_,
                                           base.notifications);
  if (!core) throw std::runtime_error("cannot open the tunnel core: " + core.error().toString());
  core_ = std::move(*core);
  // A command ends within seconds and its own timer never fires: the refresh in the
  // background is the systemd user timer's (`profiles refresh --due`), so it counts as
  // available and nothing is updated at every command's start.
  updates_ = std::make_unique<tunnel::ProfileUpdateTask>(*core_, base.log, true);
  delegate_ = std::make_unique<app::ApplicationDelegate>(app::ApplicationDelegate::Services{
      *core_, *updates_, glyph_, platform::UserInterfaceIdiom::desktop, base.log});
  delegate_->didFinishLaunching();
  daemon_.subscribe();
}

TunnelSession::~TunnelSession() {
  main_.reset();
  // Screen models retire on a later turn; let them go while the services exist.
  session_.runUntil([] { return false; }, std::chrono::milliseconds(20));
}

screenkit::Services TunnelSession::services() {
  auto b = session_.services();
  return screenkit::Services{.preferences = b.preferences,
                             .groupPreferences = b.groupPreferences,
                             .keychain = b.keychain,
                             .api = b.api,
                             .notifications = b.notifications,
                             .mainLoop = b.mainLoop,
                             .opener = b.opener,
                             .vpn = vpn_,
                             .log = b.log,
                             .latency = b.latency,
                             .localeIdentifier = b.localeIdentifier,
                             .makeRoot = b.makeRoot,
                             .tunnelCore = core_.get()};
}

bool TunnelSession::reachService() {
  return session_.runUntil([this] { return daemon_.state().status != platform::VpnStatus::invalid; },
                           std::chrono::milliseconds(3000));
}

tunnel::HomeView& TunnelSession::showDashboard() {
  main_ = std::make_unique<screens::MainTabbedView>(services());
  tunnel::HomeView& home = *main_->home();
  home.onShown();
  // The profile work of a show (creation, list, the first "Config" assignment) settles in
  // milliseconds; the second assignment comes 1.0 s later and is not waited for.
  session_.runUntil([&home] { return home.profileBuilder() == nullptr || home.profileBuilder()->pendingTasks() == 0; },
                    std::chrono::milliseconds(5000));
  return home;
}

TunnelReport TunnelSession::report(tunnel::HomeView& home) {
  return TunnelReport{home.dashboard()->rows(), daemon_.state().killSwitch, daemon_.state().lastError};
}

}  // namespace corvane::cli
