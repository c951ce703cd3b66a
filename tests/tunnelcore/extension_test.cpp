// The extension profile, the command client and the VPN service over the tunnel service, on
// the fake service in virtual time.
#include <gtest/gtest.h>

#include "platform/vpn/daemon_vpn_service.h"
#include "tunnelcore/command_client.h"
#include "tunnelcore/extension_environments.h"
#include "tunnelcore/extension_profile.h"
#include "tunnelcore/standalone_command_client.h"
#include "tunnelcore/support/core_env.h"

namespace corvane::tunnelcore {
namespace {

using platform::VpnStatus;
constexpr const char* kWireGuard = "[Interface]\nPrivateKey = k\n[Peer]\nPublicKey = p\n";

struct Fixture : ::testing::Test {
  test::CoreEnv env;
  ExtensionProfile extension{env.daemon, *env.profiles, *env.preferences, env.background, env.loop};

  std::optional<Result<void>> start() {
    std::optional<Result<void>> outcome;
    extension.start([&](Result<void> r) { outcome = std::move(r); });
    env.loop.runPending();
    return outcome;
  }
};

TEST_F(Fixture, StartHandsTheSelectedProfilesContentAndEngine) {
  env.addProfile(1, "{}", "other");
  env.addProfile(12345, kWireGuard);
  ASSERT_TRUE(env.preferences->setSelectedProfileID(12345));
  std::vector<VpnStatus> seen;
  auto observation = extension.observeStatus([&](VpnStatus s) { seen.push_back(s); });

  auto outcome = start();
  ASSERT_TRUE(outcome && *outcome);
  ASSERT_EQ(env.daemon.profileStarts.size(), 1u);
  EXPECT_EQ(env.daemon.profileStarts[0].engine, "wireguard");
  EXPECT_EQ(env.daemon.profileStarts[0].content, kWireGuard);
  EXPECT_EQ(extension.vpnStatus(), VpnStatus::connecting);
  env.loop.advance(env.daemon.connectDelay);
  EXPECT_EQ(extension.vpnStatus(), VpnStatus::connected);
  extension.stop();
  env.loop.advance(platform::seconds(1));
  EXPECT_EQ(seen, (std::vector{VpnStatus::connecting, VpnStatus::connected, VpnStatus::disconnecting,
                               VpnStatus::disconnected}));
}

TEST_F(Fixture, StartRefusesWhatCannotRunWithoutAskingTheService) {
  const struct {
    const char* what;
    std::int64_t selected;
    const char* domain;
  } rows[] = {
      {"nothing selected", 0, "Profile missing"},
      {"selection gone", 777, "Profile missing"},
      {"profile never configured", 5, "Profile"},
  };
  env.addProfile(5, "{}");
  for (const auto& row : rows) {
    ASSERT_TRUE(env.preferences->setSelectedProfileID(row.selected));
    auto outcome = start();
    ASSERT_TRUE(outcome) << row.what;
    ASSERT_FALSE(*outcome) << row.what;
    EXPECT_EQ(outcome->error().domain, row.domain) << row.what;
  }
  EXPECT_TRUE(env.daemon.profileStarts.empty());
}

TEST_F(Fixture, StatusCoversATunnelAManagerStarted) {
  // One slot: an OpenVPN tunnel started through a provider manager is "active" for the
  // extension profile too, so the power button stops it instead of starting another.
  platform::DaemonVpnService vpn(env.daemon, env.notifications);
  int changes = 0;
  auto token = env.notifications.addObserver(platform::kVpnStatusDidChangeNotification, [&] { ++changes; });
  auto manager = vpn.makeManager();
  manager->settings.isEnabled = true;
  manager->settings.localizedDescription = "CorvaneVPN";
  std::optional<Error> saved = Error("unset", 0);
  manager->saveToPreferences([&](std::optional<Error> e) { saved = e; });
  env.loop.runPending();
  ASSERT_FALSE(saved.has_value());
  ASSERT_TRUE(manager->startVPNTunnel());
  env.loop.advance(env.daemon.connectDelay);

  EXPECT_EQ(extension.vpnStatus(), VpnStatus::connected);
  EXPECT_EQ(manager->connectionStatus(), VpnStatus::connected);
  EXPECT_EQ(changes, 2) << "connecting, connected";

  platform::VpnService::Managers loaded;
  vpn.loadAllFromPreferences([&](platform::VpnService::Managers m, std::optional<Error>) { loaded = std::move(m); });
  env.loop.runPending();
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0]->settings.localizedDescription, "CorvaneVPN");
  EXPECT_EQ(loaded[0]->connectionStatus(), VpnStatus::connected);
  env.notifications.removeObserver(token);
}

TEST_F(Fixture, UnsavedOrDisabledManagersAreRefusedAtOnce) {
  platform::DaemonVpnService vpn(env.daemon, env.notifications);
  auto manager = vpn.makeManager();
  EXPECT_FALSE(manager->startVPNTunnel());
  manager->settings.id = "m1";
  manager->settings.isEnabled = false;
  EXPECT_FALSE(manager->startVPNTunnel());
  env.loop.runPending();
  EXPECT_TRUE(env.daemon.managerStarts.empty());
}

TEST_F(Fixture, CommandClientReportsSpeedsOnlyWhileConnected) {
  CommandClient client(env.daemon);
  int changes = 0;
  client.setOnChange([&] { ++changes; });
  client.connect();
  EXPECT_FALSE(client.trafficStatus());

  env.addProfile(1, kWireGuard);
  ASSERT_TRUE(env.preferences->setSelectedProfileID(1));
  start();
  env.loop.advance(env.daemon.connectDelay);
  env.daemon.emitTraffic({.rxBytes = 10, .txBytes = 20, .uplink = 2048, .downlink = 4096});
  ASSERT_TRUE(client.trafficStatus());
  EXPECT_EQ(*client.trafficStatus(), (TrafficStatus{true, 2048, 4096}));

  extension.stop();
  env.loop.runPending();
  EXPECT_FALSE(client.trafficStatus()) << "a stopping tunnel has no speeds";
  EXPECT_EQ(changes, 2);

  client.disconnect();
  start();
  env.loop.advance(env.daemon.connectDelay);
  env.daemon.emitTraffic({.uplink = 1});
  EXPECT_FALSE(client.trafficStatus()) << "a disconnected client hears nothing";
}

TEST_F(Fixture, EnvironmentSignalsArePostedOnTheMainLoop) {
  ExtensionEnvironments environments(env.notifications, env.loop, env.daemon);
  std::vector<std::string> heard;
  auto a = env.notifications.addObserver(ExtensionEnvironments::kProfileUpdate, [&] { heard.push_back("profile"); });
  auto b = env.notifications.addObserver(ExtensionEnvironments::kSelectedProfileUpdate,
                                         [&] { heard.push_back("selected"); });
  std::thread([&] {
    environments.sendProfileUpdate();
    environments.sendSelectedProfileUpdate();
  }).join();
  EXPECT_TRUE(heard.empty()) << "nothing runs on the sending thread";
  env.loop.runPending();
  EXPECT_EQ(heard, (std::vector<std::string>{"profile", "selected"}));
  env.notifications.removeObserver(a);
  env.notifications.removeObserver(b);
}

TEST(SystemProxyStatus, AvailableWithALoopbackProxyEnabledWhenTheSessionPointsAtIt) {
  platform::TunnelState running;
  running.status = VpnStatus::connected;
  running.proxy = platform::LoopbackProxy{"127.0.0.1", 10808};
  platform::TunnelState noProxy = running;
  noProxy.proxy.reset();
  platform::TunnelState stopped = running;
  stopped.status = VpnStatus::disconnected;

  const struct {
    const char* what;
    platform::TunnelState state;
    const char* allProxy;
    const char* httpsProxy;
    bool available, enabled;
  } rows[] = {
      {"socks at the proxy", running, "socks5://127.0.0.1:10808", nullptr, true, true},
      {"https proxy at it", running, nullptr, "http://127.0.0.1:10808", true, true},
      {"another port", running, "socks5://127.0.0.1:1080", nullptr, true, false},
      {"all_proxy wins", running, "socks5://127.0.0.1:1", "http://127.0.0.1:10808", true, false},
      {"no variables", running, nullptr, nullptr, true, false},
      {"engine without proxy", noProxy, "socks5://127.0.0.1:10808", nullptr, false, false},
      {"no tunnel", stopped, "socks5://127.0.0.1:10808", nullptr, false, false},
  };
  for (const auto& row : rows) {
    const auto status = StandaloneCommandClient::statusFor(row.state, [&](const char* name) -> std::optional<std::string> {
      const std::string n = name;
      const char* v = n == "all_proxy" ? row.allProxy : n == "https_proxy" ? row.httpsProxy : nullptr;
      return v ? std::optional<std::string>(v) : std::nullopt;
    });
    EXPECT_EQ(status.available, row.available) << row.what;
    EXPECT_EQ(status.enabled, row.enabled) << row.what;
  }
}

}  // namespace
}  // namespace corvane::tunnelcore
