// The dashboard's rows, the connecting animation, the public address and the kill switch.
#include <gtest/gtest.h>

#include <algorithm>

#include "keys/preference_key.h"
#include "tunnel/dashboard_status.h"
#include "tunnel/setting_view.h"
#include "tunnel/support/tunnel_env.h"

namespace corvane::tunnel {
namespace {

using platform::VpnStatus;

struct Dashboard : ::testing::Test {
  test::TunnelEnv env;
  std::unique_ptr<DashboardStatus> dashboard = std::make_unique<DashboardStatus>(env.services(), *env.core);
};

TEST_F(Dashboard, StatusPanelAndPowerImageTakeTheFirstRuleThatHolds) {
  const struct {
    const char* word;  // nullptr: nothing stored
    std::optional<VpnStatus> status;
    const char* panel;
    const char* image;
  } rows[] = {
      {"Disconnected", std::nullopt, "Unprotected internet status", "powerButtonOff"},
      {"Connected", VpnStatus::disconnecting, "Unprotected internet status", "powerButtonOff"},
      {"Connecting", std::nullopt, "Network Status", "powerConnecting"},
      {"Connected", VpnStatus::connecting, "Network Status", "powerConnecting"},
      {"Connected", std::nullopt, "Protected Internet Status", "powerConnect"},
      {"Odd", VpnStatus::connected, "Protected Internet Status", "powerConnect"},
      {"Odd", VpnStatus::reasserting, "Unprotected internet status", "powerButtonOff"},
      {nullptr, std::nullopt, "Unprotected internet status", "powerButtonOff"},
  };
  for (const auto& row : rows) {
    env.preferences.set(keys::pref::vpnStatus, row.word ? std::optional<std::string>(row.word) : std::nullopt);
    dashboard->status = row.status;
    const auto r = dashboard->rows();
    EXPECT_EQ(r.statusPanel, row.panel) << (row.word ? row.word : "-");
    EXPECT_EQ(r.powerImage, row.image) << (row.word ? row.word : "-");
  }
}

TEST_F(Dashboard, RowsWithNothingChosenAndWithAServer) {
  auto r = dashboard->rows();
  EXPECT_EQ(r.protocol, "No Protocol Selected");
  EXPECT_EQ(r.address, "---.--.-.--");
  EXPECT_EQ(r.upload, "0 B/s");
  EXPECT_EQ(r.download, "0 B/s");
  EXPECT_EQ(r.server, "not selected");

  env.preferences.set(keys::pref::openVPN, true);
  env.preferences.set(keys::pref::wireGuard, true);
  env.preferences.set(keys::pref::ipName, std::string("Tokyo #01"));
  dashboard->onShown();
  ASSERT_TRUE(env.settle([&] { return dashboard->currentIpAddress.has_value(); }));
  r = dashboard->rows();
  EXPECT_EQ(r.protocol, "WireGuard");
  EXPECT_EQ(r.address, "203.0.113.7");
  EXPECT_EQ(r.server, "Tokyo #01");

  env.daemon.setStatus(VpnStatus::connected);
  env.daemon.emitTraffic({.uplink = 1536, .downlink = 1048576});
  r = dashboard->rows();
  EXPECT_EQ(r.upload, "1.5 KB/s");
  EXPECT_EQ(r.download, "1.0 MB/s");
}

TEST_F(Dashboard, AnEchoWithoutAnAddressShowsThePlaceholder) {
  for (const char* body : {R"({"address":"1.2.3.4"})", R"({"ip":7})", "not json"}) {
    env.http.answer("GET", "/ip", test::ScriptedReply::json(200, body));
    dashboard->currentIpAddress = "stale";
    const auto before = env.http.requests().size();
    dashboard->lookUpAddress();
    ASSERT_TRUE(env.settle([&] { return env.http.requests().size() > before && !dashboard->currentIpAddress; }))
        << body;
    EXPECT_EQ(dashboard->rows().address, "---.--.-.--");
  }
}

// The lookup from before the tunnel came up answers last, with the old side's address and
// then with a failure: the newer lookup's address stays.
TEST_F(Dashboard, ALateAnswerOfAnEarlierLookupDoesNotReplaceTheLatest) {
  for (auto late : {test::ScriptedReply::json(200, R"({"ip":"198.51.100.9"})"), test::ScriptedReply::json(500, "{}")}) {
    env.http.answer("GET", "/ip", std::move(late).after(std::chrono::milliseconds(300)));
    const auto before = env.http.requests().size();
    dashboard->lookUpAddress();
    ASSERT_TRUE(env.settle([&] { return env.http.requests().size() > before; }));
    env.http.answer("GET", "/ip", test::ScriptedReply::json(200, R"({"ip":"203.0.113.7"})"));
    dashboard->lookUpAddress();
    EXPECT_TRUE(dashboard->lookingUpAddress());
    ASSERT_TRUE(env.settle([&] { return !dashboard->lookingUpAddress(); }));
    EXPECT_EQ(dashboard->currentIpAddress, "203.0.113.7");
    // The late one answers meanwhile, and changes nothing.
    env.settle([] { return false; }, std::chrono::milliseconds(500));
    EXPECT_EQ(dashboard->rows().address, "203.0.113.7");
  }
}

// Up and down by way of the passing states, and straight: each settled change asks the echo
// again and shows the placeholder, not the other side's address, until it answers; passing
// states and a reasserting tunnel ask nothing.
TEST_F(Dashboard, TheAddressFollowsTheTunnelUpAndDown) {
  const auto echoes = [&] {
    const auto all = env.http.requests();
    return std::count_if(all.begin(), all.end(), [](const auto& r) { return r.path == "/ip"; });
  };
  env.daemon.setStatus(VpnStatus::disconnected);
  dashboard->onShown();
  ASSERT_TRUE(env.settle([&] { return !dashboard->lookingUpAddress(); }));
  const struct {
    std::vector<VpnStatus> steps;
    const char* address;  // the echo's answer, late; nullptr: nothing is asked
  } changes[] = {
      {{VpnStatus::connecting, VpnStatus::connected}, "10.66.0.2"},
      {{VpnStatus::reasserting, VpnStatus::connected}, nullptr},
      {{VpnStatus::disconnecting, VpnStatus::disconnected}, "203.0.113.7"},
      {{VpnStatus::connecting, VpnStatus::disconnected}, nullptr},  // a failed attempt
      {{VpnStatus::connected}, "10.66.0.3"},
      {{VpnStatus::reasserting, VpnStatus::disconnected}, "203.0.113.8"},  // dropped
  };
  for (const auto& change : changes) {
    const std::string shownBefore = dashboard->rows().address;
    const auto asked = echoes();
    if (change.address != nullptr) {
      env.http.answer("GET", "/ip",
                      test::ScriptedReply::json(200, std::string(R"({"ip":")") + change.address + "\"}")
                          .after(std::chrono::milliseconds(200)));
    }
    for (VpnStatus step : change.steps) env.daemon.setStatus(step);
    const std::string where = change.address != nullptr ? change.address : shownBefore;
    if (change.address == nullptr) {
      EXPECT_FALSE(dashboard->lookingUpAddress()) << where;
      EXPECT_EQ(dashboard->rows().address, shownBefore) << where;
      continue;
    }
    EXPECT_EQ(dashboard->rows().address, "---.--.-.--") << where;
    ASSERT_TRUE(env.settle([&] { return !dashboard->lookingUpAddress(); })) << where;
    EXPECT_EQ(echoes(), asked + 1) << where;
    EXPECT_EQ(dashboard->rows().address, change.address);
  }
}

TEST_F(Dashboard, ConnectingFramesRunOneToFiveAndStopWithTheImage) {
  env.preferences.set(keys::pref::vpnStatus, std::string("Connecting"));
  env.daemon.setStatus(VpnStatus::connecting);
  ASSERT_TRUE(dashboard->animating());
  std::vector<std::string> frames;
  for (int i = 0; i < 7; ++i) {
    env.loop.advance(platform::seconds(DashboardStatus::kAnimationSeconds));
    frames.push_back(dashboard->animation);
  }
  EXPECT_EQ(frames, (std::vector<std::string>{"Connecting1", "Connecting2", "Connecting3", "Connecting4",
                                              "Connecting5", "Connecting1", "Connecting2"}));
  env.preferences.set(keys::pref::vpnStatus, std::string("Connected"));
  env.daemon.setStatus(VpnStatus::connected);
  EXPECT_FALSE(dashboard->animating()) << "no timer outlives the connecting image";
}

TEST(KillSwitch, AppliesTheSameRulesBothWaysToTheManager) {
  test::TunnelEnv env;
  bool shown = false;
  screenkit::Binding<bool> binding([&] { return shown; }, [&](bool v) { shown = v; });
  SettingView alone(env.services(), binding, nullptr);
  alone.tapSwitch();
  EXPECT_TRUE(shown) << "without a manager only the value flips";

  auto manager = env.daemonVpn.makeManager();
  SettingView view(env.services(), binding, manager);
  for (bool expected : {false, true}) {
    view.tapSwitch();
    env.drain();
    ASSERT_EQ(env.daemon.managers.size(), 1u);
    const auto& saved = env.daemon.managers[0];
    EXPECT_EQ(saved.isOnDemandEnabled, expected);
    ASSERT_EQ(saved.onDemandRules.size(), 2u);
    EXPECT_EQ(saved.onDemandRules[0], (platform::OnDemandRule{0, std::nullopt}));
    EXPECT_EQ(saved.onDemandRules[1].probeURL, env.http.url("/hotspot-detect.html"));
  }
  EXPECT_EQ(SettingView::onDemandRules("not a url")[1].probeURL, std::nullopt);
}

}  // namespace
}  // namespace corvane::tunnel
