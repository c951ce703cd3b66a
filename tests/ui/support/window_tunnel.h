#pragma once
// A tunnel core for the window's tests: the fake tunnel service on the Qt main loop, the VPN
// service over it and the core's folders under CORVANE_HOME, so the dashboard and the kill
// switch draw every state without a real tunnel service. The screens' services are the
// window's, with the VPN service and the core put in.
#include <memory>

#include "platform/mainloop/asio/global_queue.h"
#include "platform/mainloop/asio/serial_queue.h"
#include "platform/vpn/daemon_vpn_service.h"
#include "platform/vpn/test/fake_tunnel_daemon.h"
#include "screenkit/services.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::test {

class WindowTunnel {
  // First in, last out: the core's background work runs here until the core is gone.
  platform::SerialQueue background_{platform::GlobalQueue::shared()};

 public:
  // `base` are the window's services; `loader` fetches the IP echo. Throws when the core's
  // folders cannot be prepared.
  WindowTunnel(screenkit::Services base, platform::UrlLoader& loader);
  ~WindowTunnel();

  screenkit::Services services();

  platform::FakeTunnelDaemon daemon;
  platform::DaemonVpnService vpn;
  std::unique_ptr<tunnelcore::TunnelCore> core;

 private:
  screenkit::Services base_;
};

}  // namespace corvane::test
