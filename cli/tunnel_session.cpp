#include "tunnel_session.h"

#include <stdexcept>

#include "platform/vpn/linux/socket_tunnel_daemon.h"
#include "tunnel/dashboard_status.h"
#include "tunnel/profile_builder.h"

namespace corvane::cli {
namespace {

platform::TunnelDaemon& daemonOf(ClientSession& session) {
  auto* daemon = session.root().tunnelDaemon();
  if (daemon == nullptr) throw std::logic_error("the client session was built without its tunnel side");
  return *daemon;
}

tunnelcore::TunnelCore& coreOf(ClientSession& session) {
  auto* core = session.root().tunnelCore();
  if (core == nullptr) throw std::runtime_error(session.root().tunnelCoreError());
  return *core;
}

}  // namespace

TunnelSession::TunnelSession(ClientSession& session)
    : session_(session),
      socketPath_(platform::SocketTunnelDaemon::socketPathFromEnvironment()),
      daemon_(daemonOf(session)),
      core_(coreOf(session)) {
  const auto log = session.services().log;
  // A command ends within seconds and its own timer never fires: the refresh in the
  // background is the systemd user timer's (`profiles refresh --due`), so it counts as
  // available and nothing is updated at every command's start.
  updates_ = std::make_unique<tunnel::ProfileUpdateTask>(core_, log, true);
  delegate_ = std::make_unique<app::ApplicationDelegate>(
      app::ApplicationDelegate::Services{core_, *updates_, glyph_, platform::UserInterfaceIdiom::desktop, log});
  delegate_->didFinishLaunching();
}

TunnelSession::~TunnelSession() {
  main_.reset();
  // Screen models retire on a later turn; let them go while the services exist.
  session_.runUntil([] { return false; }, std::chrono::milliseconds(20));
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
