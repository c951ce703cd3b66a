#include "ui/support/window_tunnel.h"

#include "platform/vpn/daemon_vpn_service.h"

namespace corvane::test {

void useFakeTunnel(app::CompositionRoot::Options& options) {
  options.withTunnel = true;
  options.makeVpn = [](platform::MainLoop& loop, platform::NotificationCenter& notifications, platform::Log) {
    auto daemon = std::make_unique<platform::FakeTunnelDaemon>(loop);
    app::TunnelSide side;
    side.vpn = std::make_unique<platform::DaemonVpnService>(*daemon, notifications);
    side.daemon = std::move(daemon);
    return side;
  };
}

platform::FakeTunnelDaemon& fakeTunnel(app::CompositionRoot& root) {
  return dynamic_cast<platform::FakeTunnelDaemon&>(*root.tunnelDaemon());
}

}  // namespace corvane::test
