// The power button on the fake tunnel service, in virtual time.
#include <gtest/gtest.h>

#include "keys/notification_names.h"
#include "keys/preference_key.h"
#include "tunnel/connect_button.h"
#include "tunnel/support/tunnel_env.h"

namespace corvane::tunnel {
namespace {

using platform::VpnStatus;

struct Button : ::testing::Test {
  test::TunnelEnv env;
  std::unique_ptr<ConnectButton> button;

  void SetUp() override {
    // The profile the dashboard keeps, selected and holding "Config".
    tunnelcore::Profile p;
    p.id = 12345;
    p.name = "Corvane";
    p.path = (env.folders.configsDirectory() / "config_1.json").string();
    ASSERT_TRUE(p.write(test::TunnelEnv::kWireGuard));
    ASSERT_TRUE(env.core->profiles.create(p));
    ASSERT_TRUE(env.core->sharedPreferences.setSelectedProfileID(12345));
    env.preferences.set(keys::pref::config, std::string(test::TunnelEnv::kWireGuard));
    env.preferences.set(keys::pref::initialServerSelected, true);
    env.preferences.set(keys::pref::wireGuard, true);
    env.preferences.set(keys::pref::vpnServerID, 101);
    env.preferences.set(keys::pref::ipID, 5001);
    env.preferences.set(keys::pref::username, std::string("ada@example.test"));
    env.preferences.set(keys::pref::password, std::string("pw"));
    env.answer("wireguard-user-con", R"({"status":true,"result":"success"})");
    button = std::make_unique<ConnectButton>(env.services(), *env.core);
    env.drain();
  }
  std::string word() { return env.preferences.get(keys::pref::vpnStatus).value_or(""); }
  void press() {
    button->pressPower();
    env.drain();
  }
};

TEST_F(Button, NoServerChosenAsksForOneAndTouchesNothing) {
  env.preferences.set(keys::pref::initialServerSelected, false);
  env.count(std::string(keys::kInitialServerSelected));
  press();
  EXPECT_EQ(env.posted[std::string(keys::kInitialServerSelected)], 1);
  EXPECT_TRUE(env.daemon.profileStarts.empty());
  EXPECT_EQ(env.daemon.stops, 0);
}

// A change while no button existed (the engine died, another client connected) is taken from
// the service when the next one is built, whatever word was stored.
TEST_F(Button, ANewButtonTakesTheServicesWordOverAStaleStoredOne) {
  const struct {
    const char* stored;
    VpnStatus now;
    const char* shown;
  } rows[] = {{"Connected", VpnStatus::disconnected, "Disconnected"},
              {"Disconnected", VpnStatus::connected, "Connected"},
              {"Connected", VpnStatus::connected, "Connected"}};
  for (const auto& row : rows) {
    env.preferences.set(keys::pref::vpnStatus, std::string(row.stored));
    env.daemon.setStatus(row.now);
    env.drain();
    env.preferences.set(keys::pref::vpnStatus, std::string(row.stored));
    auto next = std::make_unique<ConnectButton>(env.services(), *env.core);
    EXPECT_EQ(word(), row.shown) << row.stored;
  }
}

TEST_F(Button, PowerConnectsThenDisconnectsAndFreesTheWireGuardSlot) {
  press();
  ASSERT_EQ(env.daemon.profileStarts.size(), 1u);
  EXPECT_EQ(env.daemon.profileStarts[0].content, test::TunnelEnv::kWireGuard);
  EXPECT_EQ(word(), "Connecting");
  EXPECT_EQ(button->look().label, "Connecting...");
  EXPECT_TRUE(button->look().disabled);
  env.loop.advance(env.daemon.connectDelay);
  EXPECT_EQ(word(), "Connected");
  EXPECT_EQ(button->look().image, "connected-power");

  press();
  EXPECT_EQ(env.daemon.stops, 1);
  EXPECT_EQ(word(), "Disconnecting");
  env.loop.advance(env.daemon.stopDelay);
  EXPECT_EQ(word(), "Disconnected");
  ASSERT_TRUE(env.settle([&] { return env.posts("wireguard-user-con").size() == 1; }));
  const auto body = env.posts("wireguard-user-con")[0].body;
  EXPECT_NE(body.find("\"connection_type\":0"), std::string::npos) << body;
  EXPECT_FALSE(env.sink->contains("profileConfig1111" + std::string(test::TunnelEnv::kWireGuard)))
      << "the configuration's keys never reach the log";
}

TEST_F(Button, OpenVpnRunsThroughTheManagerAndTheSameStatusStopsIt) {
  env.preferences.set(keys::pref::wireGuard, false);
  env.preferences.set(keys::pref::openVPN, true);
  env.preferences.set(keys::pref::config, std::string("client\nremote 127.0.0.2 1194\n"));
  press();
  ASSERT_EQ(env.daemon.managerStarts.size(), 1u);
  ASSERT_EQ(env.daemon.managers.size(), 1u);
  const auto& saved = env.daemon.managers[0];
  EXPECT_EQ(saved.localizedDescription, "CorvaneVPN");
  EXPECT_TRUE(saved.isEnabled);
  EXPECT_EQ(saved.protocolConfiguration->providerConfiguration.at("ovpn"), "client\nremote 127.0.0.2 1194\n");
  EXPECT_EQ(saved.protocolConfiguration->providerBundleIdentifier, "net.corvane.client.ConnectTunnel");
  env.loop.advance(env.daemon.connectDelay);
  EXPECT_EQ(word(), "Connected") << "the extension profile's status covers the manager's tunnel";

  press();
  EXPECT_EQ(env.daemon.stops, 1) << "an active OpenVPN tunnel is stopped, not started twice";
  EXPECT_EQ(env.daemon.managerStarts.size(), 1u);
  press();
  env.loop.advance(env.daemon.stopDelay);
  press();
  EXPECT_EQ(env.daemon.managers.size(), 1u) << "the saved manager is reused";
}

TEST_F(Button, ChangingServerWhileConnectedRestartsOneSecondLater) {
  press();
  env.loop.advance(env.daemon.connectDelay);
  env.notifications.post(keys::kConnectFromServer);
  env.drain();
  EXPECT_EQ(env.daemon.stops, 1);
  env.loop.advance(platform::seconds(0.99));
  EXPECT_EQ(env.daemon.profileStarts.size(), 1u);
  env.loop.advance(platform::seconds(0.01));
  env.drain();
  EXPECT_EQ(env.daemon.profileStarts.size(), 2u);
  env.loop.advance(env.daemon.connectDelay);
  EXPECT_EQ(word(), "Connected");
}

TEST_F(Button, RefusedStartShowsTheReasonAndReassertingKeepsTheWord) {
  env.daemon.refuseNextStart = Error("tunneld", 6, "invalidConfig: no [Interface] section");
  press();
  ASSERT_TRUE(button->alert);
  EXPECT_EQ(*button->alert, "invalidConfig: no [Interface] section");

  env.preferences.set(keys::pref::vpnStatus, std::string("Connected"));
  env.daemon.setStatus(VpnStatus::reasserting);
  EXPECT_EQ(word(), "Connected");
}

TEST(ConnectButtonLook, FollowsTheStatus) {
  const struct {
    VpnStatus status;
    const char* image;
    const char* label;
    bool disabled;
  } rows[] = {
      {VpnStatus::invalid, "Power", "Connect", true},
      {VpnStatus::disconnected, "Power", "Connect", false},
      {VpnStatus::connecting, "connecting-cricle", "Connecting...", true},
      {VpnStatus::connected, "connected-power", "Disconnect", false},
      {VpnStatus::reasserting, "", "", true},
      {VpnStatus::disconnecting, "Power", "Connect", true},
  };
  for (const auto& row : rows) {
    const auto look = ConnectButton::lookFor(row.status);
    EXPECT_EQ(look.image, row.image);
    EXPECT_EQ(look.label, row.label);
    EXPECT_EQ(look.disabled, row.disabled);
  }
}

}  // namespace
}  // namespace corvane::tunnel
