// The app's side of the tunnel service against the real corvane-tunneld: the daemon runs in
// a client namespace joined to a WireGuard server namespace (both made and deleted by the
// testbed); the extension profile starts the selected profile, the command client hears its
// traffic, the VPN service posts the status changes, and a stop leaves it disconnected.
#include <gtest/gtest.h>

#include "daemon/support/command.h"
#include "daemon/support/wireguard_testbed.h"
#include "platform/log/log.h"
#include "platform/mainloop/manual/manual_loop.h"
#include "platform/mainloop/manual/manual_queue.h"
#include "platform/notifications/notification_center.h"
#include "platform/vpn/daemon_vpn_service.h"
#include "platform/vpn/linux/socket_tunnel_daemon.h"
#include "tunnelcore/command_client.h"
#include "tunnelcore/core_database.h"
#include "tunnelcore/extension_profile.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using platform::VpnStatus;

TEST(DaemonClient, StartsTheSelectedProfileThroughTheRealService) {
  std::string whyNot;
  auto bed = daemon::testing::WireGuardTestbed::create(&whyNot);
  if (!bed) GTEST_SKIP() << whyNot;
  ASSERT_TRUE(bed->startDaemon());

  auto database = tunnelcore::CoreDatabase::open(bed->scratch() / "core.sqlite");
  ASSERT_TRUE(database);
  tunnelcore::ProfileManager profiles(**database);
  tunnelcore::SharedPreferences preferences(**database);
  tunnelcore::Profile profile;
  profile.id = 12345;
  profile.name = "Corvane";
  profile.path = (bed->scratch() / "config_1.json").string();
  ASSERT_TRUE(profile.write(bed->clientConfig()));
  ASSERT_TRUE(profiles.create(profile));
  ASSERT_TRUE(preferences.setSelectedProfileID(12345));

  platform::ManualLoop loop;
  platform::ManualQueue background(loop);
  platform::NotificationCenter notifications;
  std::shared_ptr<platform::CapturingSink> sink;
  platform::SocketTunnelDaemon client(loop, platform::Log::capturing(sink), bed->socketPath());
  platform::DaemonVpnService vpn(client, notifications);
  int statusPosts = 0;
  auto token = notifications.addObserver(platform::kVpnStatusDidChangeNotification, [&] { ++statusPosts; });
  tunnelcore::ExtensionProfile extension(client, profiles, preferences, background, loop);
  tunnelcore::CommandClient traffic(client);
  traffic.connect();
  // The daemon makes its socket a moment after it starts.
  ASSERT_TRUE(loop.runUntil([&] { return std::filesystem::exists(bed->socketPath()); }, 10s)) << bed->daemonLog();
  client.subscribe();
  ASSERT_TRUE(loop.runUntil([&] { return client.state().status == VpnStatus::disconnected; }, 10s))
      << bed->daemonLog() << ::testing::PrintToString(sink->lines());

  std::optional<Result<void>> started;
  extension.start([&](Result<void> r) { started = std::move(r); });
  ASSERT_TRUE(loop.runUntil([&] { return started.has_value(); }, 10s));
  ASSERT_TRUE(*started) << started->error().toString();
  ASSERT_TRUE(loop.runUntil([&] { return extension.vpnStatus() == VpnStatus::connected; }, 30s)) << bed->daemonLog();
  EXPECT_EQ(client.state().engine, "wireguard");
  EXPECT_EQ(client.state().tunnelAddress, "10.77.0.2");

  auto echo = daemon::testing::runIn(bed->client().name(), {"curl", "-s", "--max-time", "5", "http://10.77.0.1:8080/ip"});
  EXPECT_EQ(echo.out, "10.77.0.2") << echo.err;
  EXPECT_TRUE(loop.runUntil([&] { return traffic.trafficStatus().has_value(); }, 5s)) << "a traffic report each second";

  extension.stop();
  EXPECT_TRUE(loop.runUntil([&] { return extension.vpnStatus() == VpnStatus::disconnected; }, 15s)) << bed->daemonLog();
  EXPECT_FALSE(traffic.trafficStatus());
  EXPECT_GE(statusPosts, 3) << "connecting, connected, disconnecting/disconnected, each posted";
  notifications.removeObserver(token);
}

}  // namespace
}  // namespace corvane
