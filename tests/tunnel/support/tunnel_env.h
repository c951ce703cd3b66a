#pragma once
// The screen environment plus a tunnel core of its own: the fake tunnel service on the same
// virtual clock, the VPN service over it, and the core's folders under the test's home. The
// IP echo is the environment's plain-HTTP script server (CORVANE_IP_ECHO_URL points there).
#include <stdlib.h>

#include <memory>
#include <stdexcept>

#include "common/screen_env.h"
#include "platform/mainloop/manual/manual_queue.h"
#include "platform/url/curl_url_loader.h"
#include "platform/vpn/daemon_vpn_service.h"
#include "platform/vpn/test/fake_tunnel_daemon.h"
#include "tunnelcore/core_setup.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::test {

class TunnelEnv : public ScreenEnv {
 public:
  static constexpr const char* kWireGuard = "[Interface]\nPrivateKey = k\nAddress = 10.0.0.2/32\n[Peer]\nPublicKey = p\n";

  TunnelEnv() : folders(tunnelcore::FilePath::fromPaths(paths())) {
    ::setenv("CORVANE_IP_ECHO_URL", http.url("/ip").c_str(), 1);
    ::setenv("CORVANE_PROBE_URL", http.url("/hotspot-detect.html").c_str(), 1);
    if (!tunnelcore::CoreSetup(folders.sharedDirectory, folders.workingDirectory, folders.cacheDirectory, false)) {
      throw std::runtime_error("CoreSetup");
    }
    auto opened = tunnelcore::TunnelCore::open(folders, daemon, loader, loop, background, notifications);
    if (!opened) throw std::runtime_error(opened.error().toString());
    core = std::move(*opened);
    // The echo answers the address the tunnel would show.
    http.answer("GET", "/ip", ScriptedReply::json(200, R"({"ip":"203.0.113.7"})"));
  }
  ~TunnelEnv() { loop.runPending(); }

  // The screen services with the VPN service over the fake tunnel service and the core.
  screenkit::Services services() {
    auto b = ScreenEnv::services();
    return screenkit::Services{.preferences = b.preferences,
                               .groupPreferences = b.groupPreferences,
                               .keychain = b.keychain,
                               .api = b.api,
                               .notifications = b.notifications,
                               .mainLoop = b.mainLoop,
                               .opener = b.opener,
                               .vpn = daemonVpn,
                               .log = b.log,
                               .latency = b.latency,
                               .localeIdentifier = b.localeIdentifier,
                               .makeRoot = b.makeRoot,
                               .tunnelCore = core.get()};
  }
  // Runs what is due now, and what that posts for now (background work and its results),
  // without moving virtual time. Loader completions arrive in wall time: use settle().
  void drain() {
    for (int i = 0; i < 100 && loop.runPending() > 0; ++i) {
    }
  }

  tunnelcore::FilePath folders;
  platform::ManualQueue background{loop};
  platform::FakeTunnelDaemon daemon{loop};
  platform::DaemonVpnService daemonVpn{daemon, notifications};
  // Remote profiles come from here, over HTTPS with a CA only this loader trusts.
  TestPki profilePki;
  ScriptServer profileServer{profilePki.issue({"IP:127.0.0.1"})};
  platform::CurlUrlLoader loader{
      platform::CurlUrlLoader::Options{.extraCaFile = profilePki.writeCaFile(paths().config)},
      platform::Log::null()};
  std::unique_ptr<tunnelcore::TunnelCore> core;
};

}  // namespace corvane::test
