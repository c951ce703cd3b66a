#pragma once
// The window's tests run the root's tunnel side over the fake tunnel service on the Qt main
// loop, so the dashboard and the kill switch draw every state without a real tunnel service.
#include "app/composition_root.h"
#include "platform/vpn/test/fake_tunnel_daemon.h"

namespace corvane::test {

// Root options: the tunnel side with the fake tunnel service (pass to WindowServices).
void useFakeTunnel(app::CompositionRoot::Options& options);
// The fake a root built with useFakeTunnel holds.
platform::FakeTunnelDaemon& fakeTunnel(app::CompositionRoot& root);

}  // namespace corvane::test
