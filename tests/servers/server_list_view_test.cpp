#include "servers/server_list_view.h"

#include <gtest/gtest.h>

#include "api/api_client.h"
#include "keys/notification_names.h"
#include "platform/core/base64.h"
#include "common/screen_env.h"

namespace corvane::servers {
namespace {

// One catalogue for every test: a WireGuard server with ids, an OpenVPN one with a valid
// configuration, a Shadowsocks one whose Base64 holds a line break, and a V2ray one
// without a configuration.
constexpr const char* kCatalogue = R"({"response_code":1,"message":"ok","ip_bundle":[
  {"ipName":"Frankfurt WG","ip":"127.0.0.2:51820","type":5,"countryCode":"276",
   "countryName":"Germany","vpn_server_id":11,"ip_id":21},
  {"ipName":"Lagos OVPN","ip":"127.0.0.3","type":6,"countryCode":"566","countryName":"Nigeria",
   "config":"Y2xpZW50CmRldiB0dW4K"},
  {"ipName":"Istanbul SS","ip":"127.0.0.4","type":4,"countryCode":"792",
   "countryName":"TÜRKIYE","config":"Y2xp\nZW50"},
  {"ipName":"Oslo V2","ip":"127.0.0.5","type":7,"countryCode":"578","countryName":"Norway"},
  {"ipName":"Berlin WG","ip":"127.0.0.6","type":5,"countryName":"Germany"}]})";

class ServerListTest : public ::testing::Test {
 protected:
  ServerListTest() {
    env.preferences.set(keys::pref::username, "ada@example.org");
    env.preferences.set(keys::pref::password, "secret");
    env.answer("login", kCatalogue);
    env.count(std::string(keys::kConnectFromServer));
    env.count(std::string(keys::kDisconnectFromServer));
  }
  std::unique_ptr<ServerListView> open() {
    auto list = std::make_unique<ServerListView>(env.services(), flags, [this] { ++dismissed; });
    list->appear();
    EXPECT_TRUE(env.settle([&] { return list->refreshed(); }));
    return list;
  }
  const api::IPBundle& named(const ServerListView& list, const std::string& name) {
    for (const auto& s : list.ipBundle()) {
      if (s.ipName == name) return s;
    }
    throw std::runtime_error("no server " + name);
  }

  test::ScreenEnv env;
  ProtocolSelection flags;
  int dismissed = 0;
};

TEST_F(ServerListTest, FirstAppearanceDefaultsToWireGuardAndRefreshesTheCatalogue) {
  auto list = open();
  EXPECT_TRUE(env.preferences.get(keys::pref::initialProtocolSelect));
  EXPECT_TRUE(flags.WireGuardSelected);
  EXPECT_TRUE(env.preferences.get(keys::pref::wireGuard));
  EXPECT_FALSE(env.preferences.get(keys::pref::openVPN) || env.preferences.get(keys::pref::shadowshocks) || env.preferences.get(keys::pref::v2ray));
  EXPECT_EQ(list->headerText(), "WireGuard");
  EXPECT_EQ(list->ipBundle().size(), 5u);
  EXPECT_TRUE(env.sink->contains("Fetched 5 items from the server"));
  const auto sections = list->sections();
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(sections[0].countryName, "Germany");
  EXPECT_EQ(sections[0].serverIndices.size(), 2u);
  EXPECT_EQ(sections[0].flagAsset, std::optional<std::string_view>("flag_germany"));

  // Later appearances keep the stored choice and reload the flags from the keys.
  list->tapProtocol(VpnProtocol::v2ray);
  flags = ProtocolSelection{};
  auto again = open();
  EXPECT_TRUE(flags.v2raySelecetd);
  EXPECT_FALSE(flags.WireGuardSelected);

  // A failed refresh keeps the list it had.
  env.answer("login", R"({"response_code":0})");
  again->appear();
  ASSERT_TRUE(env.settle([&] { return again->refreshed(); }));
  EXPECT_EQ(again->ipBundle().size(), 5u);
}

TEST_F(ServerListTest, ProtocolTapsAndTheChangeProtocolPrompt) {
  auto list = open();
  struct Case {
    std::optional<std::string> status;
    VpnProtocol tapped;
    bool prompt;
  };
  const Case cases[] = {
      {"Connected", VpnProtocol::shadowsocks, true},
      {"Connecting", VpnProtocol::shadowsocks, false},
      {"Disconnected", VpnProtocol::openVpn, false},
      {std::nullopt, VpnProtocol::v2ray, false},
  };
  for (const Case& c : cases) {
    flags.select(VpnProtocol::wireGuard);
    env.preferences.set(keys::pref::vpnStatus, c.status);
    list->tapProtocol(c.tapped);
    EXPECT_EQ(list->changeProtocolAlert, c.prompt) << c.status.value_or("<absent>");
    EXPECT_EQ(flags.chosen(), c.prompt ? VpnProtocol::wireGuard : c.tapped);
    if (c.prompt) {
      EXPECT_EQ(env.preferences.get(keys::pref::selectedTypeProtocol), 3);
      list->tapSkip();
      EXPECT_FALSE(list->changeProtocolAlert);
      EXPECT_TRUE(flags.WireGuardSelected);
    }
  }
  EXPECT_EQ(env.posted["disConnectFromServer"], 0);

  flags.select(VpnProtocol::wireGuard);
  env.preferences.set(keys::pref::vpnStatus, "Connected");
  list->tapProtocol(VpnProtocol::shadowsocks);
  list->tapDisconnect();
  EXPECT_TRUE(flags.ssSelected);
  EXPECT_TRUE(env.preferences.get(keys::pref::shadowshocks));
  EXPECT_FALSE(env.preferences.get(keys::pref::wireGuard));
  EXPECT_EQ(env.posted["disConnectFromServer"], 1);
  EXPECT_FALSE(list->changeProtocolAlert);

  // A stored code outside 1-4 changes nothing but still posts.
  env.preferences.set(keys::pref::selectedTypeProtocol, 9);
  list->tapDisconnect();
  EXPECT_TRUE(flags.ssSelected);
  EXPECT_EQ(env.posted["disConnectFromServer"], 2);
}

TEST_F(ServerListTest, TappingAServerStoresItsKeysAndPostsConnect) {
  auto list = open();
  flags.select(VpnProtocol::openVpn);
  EXPECT_EQ(list->tapServer(named(*list, "Lagos OVPN")), ServerListView::TapOutcome::stored);
  env.loop.runPending();
  EXPECT_EQ(env.preferences.get(keys::pref::config), "client\ndev tun\n");
  EXPECT_EQ(env.preferences.get(keys::pref::countryCode), "566");
  EXPECT_EQ(env.preferences.get(keys::pref::ipName), "Lagos OVPN");
  EXPECT_TRUE(env.preferences.get(keys::pref::initialServerSelected));
  EXPECT_EQ(env.posted["ConnectFromServer"], 1);
  EXPECT_EQ(dismissed, 1);

  // Base64 with a line break is not decoded: "Config" goes, the connect still happens.
  flags.select(VpnProtocol::shadowsocks);
  list->tapServer(named(*list, "Istanbul SS"));
  env.loop.runPending();
  EXPECT_EQ(env.preferences.get(keys::pref::config), std::nullopt);
  EXPECT_EQ(env.posted["ConnectFromServer"], 2);

  // Without a configuration the tap cannot be applied and changes nothing.
  flags.select(VpnProtocol::v2ray);
  EXPECT_EQ(list->tapServer(named(*list, "Oslo V2")), ServerListView::TapOutcome::ignored);
  env.loop.runPending();
  EXPECT_EQ(env.preferences.get(keys::pref::ipName), "Istanbul SS");
  EXPECT_EQ(env.posted["ConnectFromServer"], 2);

  // A configuration over the size cap is refused before anything is stored.
  flags.select(VpnProtocol::openVpn);
  env.preferences.set(keys::pref::config, "kept");
  api::IPBundle huge = named(*list, "Lagos OVPN");
  huge.ipName = "Huge";
  huge.config = platform::base64Encode(std::string(api::ApiClient::kMaxConfigBytes + 1, 'a'));
  EXPECT_EQ(list->tapServer(huge), ServerListView::TapOutcome::ignored);
  env.loop.runPending();
  EXPECT_EQ(env.preferences.get(keys::pref::config), "kept");
  EXPECT_EQ(env.preferences.get(keys::pref::ipName), "Istanbul SS");
  ASSERT_TRUE(list->lastTapError.has_value());
  EXPECT_NE(list->lastTapError->description.find("over the limit of 524288 bytes"), std::string::npos);
  EXPECT_EQ(env.posted["ConnectFromServer"], 2);

  // WireGuard: an absent country code removes the stored one; ids need both fields.
  flags.select(VpnProtocol::wireGuard);
  api::IPBundle noIds = named(*list, "Berlin WG");
  EXPECT_EQ(list->tapServer(noIds), ServerListView::TapOutcome::ignored);
}

TEST_F(ServerListTest, WireGuardTapFetchesTheConfigurationFirst) {
  auto list = open();
  env.answer("wireguard-user-con", R"({"result":"oops"})", 500);
  EXPECT_EQ(list->tapServer(named(*list, "Frankfurt WG")), ServerListView::TapOutcome::fetching);
  ASSERT_TRUE(env.settle([&] { return !list->fetchingConfig; }));
  EXPECT_TRUE(list->lastTapError.has_value());
  EXPECT_EQ(env.posted["ConnectFromServer"], 0);
  EXPECT_EQ(dismissed, 0);
  EXPECT_EQ(env.preferences.get(keys::pref::vpnServerID), 0);

  env.answer("wireguard-user-con", R"({"result":"[Interface]\nPrivateKey = x\n"})");
  list->tapServer(named(*list, "Frankfurt WG"));
  ASSERT_TRUE(env.settle([&] { return env.posted["ConnectFromServer"] == 1; }));
  EXPECT_EQ(env.preferences.get(keys::pref::vpnServerID), 11);
  EXPECT_EQ(env.preferences.get(keys::pref::ipID), 21);
  EXPECT_EQ(env.preferences.get(keys::pref::config), "[Interface]\nPrivateKey = x\n");
  EXPECT_EQ(dismissed, 1);
  const auto body = env.posts("wireguard-user-con").back().body;
  EXPECT_NE(body.find("11"), std::string::npos);
}

// A picker closed before its answer: whatever the tap stored, the dashboard hears of it.
TEST_F(ServerListTest, APickerClosedBeforeTheAnswerStillAnnouncesWhatItStored) {
  struct Case {
    const char* server;
    bool wireGuard;
  };
  for (const Case c : {Case{"Frankfurt WG", true}, Case{"Lagos OVPN", false}}) {
    SCOPED_TRACE(c.server);
    const int before = env.posted["ConnectFromServer"];
    env.answer("wireguard-user-con", R"({"result":"[Interface]\nPrivateKey = y\n"})");
    auto list = open();
    if (!c.wireGuard) list->tapProtocol(VpnProtocol::openVpn);
    const api::IPBundle server = named(*list, c.server);
    list->tapServer(server);
    list.reset();
    ASSERT_TRUE(env.settle([&] { return env.posted["ConnectFromServer"] == before + 1; }));
    EXPECT_EQ(env.preferences.get(keys::pref::ipName), c.server);
    if (c.wireGuard) {
      EXPECT_EQ(env.preferences.get(keys::pref::vpnServerID), 11);
    }
  }
}

TEST_F(ServerListTest, LatencyIsOneSharedValueInWholeMilliseconds) {
  auto list = open();
  EXPECT_EQ(list->latencyText(), "N/A");
  EXPECT_EQ(list->latencyColour(), "green");
  struct Case {
    double seconds;
    std::string text;
    std::string_view colour;
  };
  const Case cases[] = {{0.0427, "42 ms", "green"},  {0.150, "150 ms", "green"},
                        {0.1509, "150 ms", "green"}, {0.151, "151 ms", "orange"},
                        {0.400, "400 ms", "orange"}, {0.401, "401 ms", "red"},
                        {5.0004, "5000 ms", "red"}};
  for (const Case& c : cases) {
    // Two rows report; both show whichever came last.
    list->reportLatency("127.0.0.9", 0.001);
    list->reportLatency("127.0.0.2:51820", c.seconds);
    EXPECT_EQ(list->latencyText(), c.text);
    EXPECT_EQ(list->latencyColour(), c.colour);
  }
  EXPECT_EQ(list->reportsByAddress.size(), 2u);
}

// The window keeps the sections it drew until it redraws; a refresh that replaced the
// catalogue meanwhile must not pull the names and indices from under them.
TEST_F(ServerListTest, SectionsKeptAcrossARefreshStayReadable) {
  auto list = open();
  const auto kept = list->sections();
  ASSERT_EQ(kept.size(), 1u);
  env.answer("login", R"({"response_code":1,"message":"ok","ip_bundle":[
    {"ipName":"Quito WG","ip":"127.0.0.7","type":5,"countryCode":"218","countryName":"Ecuador"}]})");
  list->appear();
  ASSERT_TRUE(env.settle([&] { return list->refreshed(); }));
  ASSERT_EQ(list->ipBundle().size(), 1u);
  EXPECT_EQ(std::string(kept[0].countryName), "Germany");
  EXPECT_EQ(kept[0].flagAsset.value_or(""), "flag_germany");
  ASSERT_EQ(kept[0].serverIndices.size(), 2u);
  // The kept section reaches its own servers, not the new catalogue's.
  EXPECT_EQ(kept[0].server(0).ipName, "Frankfurt WG");
  EXPECT_EQ(kept[0].server(1).ipName, "Berlin WG");
  EXPECT_EQ(list->sections()[0].server(0).ipName, "Quito WG");
}

// A VPN service that knows one manager, for the status observer.
class OneManagerService final : public platform::VpnService {
 public:
  struct Manager final : platform::TunnelProviderManager {
    bool enabled = true;
    platform::VpnStatus status = platform::VpnStatus::disconnected;
    bool isEnabled() const override { return enabled; }
    platform::VpnStatus connectionStatus() const override { return status; }
  };
  explicit OneManagerService(platform::MainLoop& loop) : loop_(loop) {}
  void loadAllFromPreferences(LoadCompletion completion) override {
    loop_.post([this, completion] { completion({manager}, std::nullopt); });
  }
  std::shared_ptr<Manager> manager = std::make_shared<Manager>();

 private:
  platform::MainLoop& loop_;
};

TEST_F(ServerListTest, StatusFollowsTheFirstManager) {
  OneManagerService vpn(env.loop);
  vpn.manager->status = platform::VpnStatus::connected;
  screenkit::Services services = env.services();
  ServerListView list(screenkit::Services{services.preferences, services.groupPreferences,
                                          services.keychain, services.api, services.notifications,
                                          services.mainLoop, services.opener, vpn, services.log,
                                          nullptr, "en_US", nullptr},
                      flags, {});
  list.appear();
  ASSERT_TRUE(env.settle([&] { return list.refreshed() && list.vpnManagerEnterprise; }));
  EXPECT_EQ(env.preferences.get(keys::pref::vpnStatus), "Connected");
  const std::pair<platform::VpnStatus, std::optional<std::string>> cases[] = {
      {platform::VpnStatus::connecting, "Connecting"},
      {platform::VpnStatus::disconnecting, "Disconnecting"},
      {platform::VpnStatus::invalid, "Disconnected"},
      {platform::VpnStatus::reasserting, "Disconnected"},  // unchanged from the last one
      {platform::VpnStatus::connected, "Connected"},
  };
  for (const auto& [status, stored] : cases) {
    vpn.manager->status = status;
    env.notifications.post(platform::kVpnStatusDidChangeNotification);
    EXPECT_EQ(env.preferences.get(keys::pref::vpnStatus), stored);
    EXPECT_EQ(list.status, status);
  }
}

}  // namespace
}  // namespace corvane::servers
