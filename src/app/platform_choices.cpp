#include "app/platform_choices.h"

#include "platform/secitem/sec_item_backend_factory.h"
#include "platform/vpn/daemon_vpn_service.h"
#include "platform/vpn/linux/socket_tunnel_daemon.h"
#include "platform/vpn/no_vpn_service.h"

namespace corvane::app {

std::unique_ptr<platform::UrlOpener> makeUrlOpener(platform::Log log) {
  if (platform::desktopAvailable()) return std::make_unique<platform::XdgUrlOpener>(std::move(log));
  return std::make_unique<platform::RecordingUrlOpener>();
}

TunnelSide makeVpnService(platform::MainLoop& loop, platform::NotificationCenter& notifications,
                          platform::Log log) {
  const std::string socketPath = platform::SocketTunnelDaemon::socketPathFromEnvironment();
  const bool answers = platform::SocketTunnelDaemon::answers(socketPath);
  if (!answers) log.info("no tunnel service answers at '" + socketPath + "'; the VPN service has no managers");
  auto daemon = std::make_unique<platform::SocketTunnelDaemon>(loop, log, socketPath);
  daemon->subscribe();
  TunnelSide side;
  if (answers) {
    side.vpn = std::make_unique<platform::DaemonVpnService>(*daemon, notifications);
  } else {
    side.vpn = std::make_unique<platform::NoVpnService>(loop);
  }
  side.daemon = std::move(daemon);
  return side;
}

std::unique_ptr<platform::SecItemBackend> makeSecItemBackend(const platform::Paths& paths,
                                                             platform::Log log) {
  return platform::makeSecItemBackend(paths, std::move(log));
}

}  // namespace corvane::app
