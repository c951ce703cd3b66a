#pragma once
// The screen environment with the root's tunnel side: the fake tunnel service on the same
// virtual clock with the VPN service over it, and the tunnel core under the test's home,
// its background queue run by the manual loop. The IP echo is the environment's plain-HTTP
// script server (CORVANE_IP_ECHO_URL points there).
#include <stdlib.h>

#include <memory>

#include "common/screen_env.h"
#include "platform/mainloop/manual/manual_queue.h"
#include "platform/vpn/daemon_vpn_service.h"
#include "platform/vpn/test/fake_tunnel_daemon.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::test {

class TunnelEnv : public ScreenEnv {
 public:
  static constexpr const char* kWireGuard = "[Interface]\nPrivateKey = k\nAddress = 10.0.0.2/32\n[Peer]\nPublicKey = p\n";

  TunnelEnv()
      : ScreenEnv(std::nullopt, withFakeTunnel),
        folders(tunnelcore::FilePath::fromPaths(paths())),
        daemon(dynamic_cast<platform::FakeTunnelDaemon&>(*root().tunnelDaemon())),
        daemonVpn(root().vpn()),
        core(root().tunnelCore()) {
    if (core == nullptr) throw std::runtime_error(root().tunnelCoreError());
    ::setenv("CORVANE_IP_ECHO_URL", http.url("/ip").c_str(), 1);
    ::setenv("CORVANE_PROBE_URL", http.url("/hotspot-detect.html").c_str(), 1);
    // The echo answers the address the tunnel would show.
    http.answer("GET", "/ip", ScriptedReply::json(200, R"({"ip":"203.0.113.7"})"));
  }

  // Runs what is due now, and what that posts for now (background work and its results),
  // without moving virtual time. Loader completions arrive in wall time: use settle().
  void drain() {
    for (int i = 0; i < 100 && loop.runPending() > 0; ++i) {
    }
  }

  tunnelcore::FilePath folders;
  platform::FakeTunnelDaemon& daemon;
  platform::VpnService& daemonVpn;
  tunnelcore::TunnelCore* core;
  // Remote profiles come from here, over HTTPS with a certificate the root's loader trusts.
  ScriptServer profileServer{pki().issue({"IP:127.0.0.1"})};

 private:
  static void withFakeTunnel(app::CompositionRoot::Options& options, platform::ManualLoop& loop) {
    options.withTunnel = true;
    options.makeVpn = [](platform::MainLoop& mainLoop, platform::NotificationCenter& notifications, platform::Log) {
      auto daemon = std::make_unique<platform::FakeTunnelDaemon>(mainLoop);
      app::TunnelSide side;
      side.vpn = std::make_unique<platform::DaemonVpnService>(*daemon, notifications);
      side.daemon = std::move(daemon);
      return side;
    };
    options.makeBackground = [&loop] { return std::make_unique<platform::ManualQueue>(loop); };
  }
};

}  // namespace corvane::test
