// The main road against the reference backend (its demo account and catalogue): start-up
// gate, login, the picker's refresh, a protocol change, a server tap, the device list and
// log-out, each step through the screen models as the app drives them.
#include <gtest/gtest.h>

#include "api/support/backend_process.h"
#include "app/content_view.h"
#include "keys/notification_names.h"
#include "common/screen_env.h"
#include "screens/connect_device_view.h"
#include "tunnel/home_view.h"
#include "screens/login_view.h"
#include "screens/main_tabbed_view.h"
#include "servers/server_list_view.h"

namespace corvane::app {
namespace {

using platform::seconds;

TEST(EndToEnd, MainRoadAgainstTheReferenceBackend) {
  test::BackendLaunch launch;
  launch.demo = true;
  test::BackendProcess backend(launch);
  test::ScreenEnv env(test::ScreenEnv::Backend{backend.apiHost(), backend.caFile()});
  env.count(std::string(keys::kLoginSuccess));
  env.count(std::string(keys::kConnectFromServer));

  // Start-up gate: the link table names the API domain; 2.0 s later the login screen.
  ContentView root(env.services());
  root.appear();
  ASSERT_TRUE(env.settle([&] { return root.enterDecision().has_value(); }));
  ASSERT_EQ(root.enterDecision(), true);
  EXPECT_EQ(env.preferences.get(keys::pref::domainLink), backend.domain());
  env.loop.advance(seconds(2.0));
  ASSERT_EQ(root.shown(), ContentView::Child::login);

  // Login with the demo account: "LoginSuccess" moves the root to the main container.
  screens::LoginView& login = *root.login();
  login.appear();
  login.email = "demo@corvane.test";
  login.password = "corvane-demo-2026";
  login.login();
  ASSERT_TRUE(env.settle([&] { return root.shown() == ContentView::Child::main; }));
  EXPECT_EQ(env.posted["LoginSuccess"], 1);
  EXPECT_TRUE(env.preferences.get(keys::pref::loggedIn));
  screens::MainTabbedView& main = *root.main();

  // The picker refreshes the catalogue through login; WireGuard is the default.
  tunnel::HomeView& home = *main.home();
  home.openServerList();
  servers::ServerListView& list = *home.serverList();
  list.appear();
  ASSERT_TRUE(env.settle([&] { return list.refreshed(); }));
  ASSERT_GE(list.ipBundle().size(), 60u);
  EXPECT_EQ(list.headerText(), "WireGuard");
  EXPECT_FALSE(list.sections().empty());

  // Protocol change (not connected: at once), then a tap on the first OpenVPN server.
  list.tapProtocol(servers::VpnProtocol::openVpn);
  EXPECT_TRUE(env.preferences.get(keys::pref::openVPN));
  EXPECT_FALSE(env.preferences.get(keys::pref::wireGuard));
  const auto sections = list.sections();
  ASSERT_FALSE(sections.empty());
  const api::IPBundle server = list.ipBundle()[sections.front().serverIndices.front()];
  ASSERT_EQ(list.tapServer(server), servers::ServerListView::TapOutcome::stored);
  env.loop.runPending();
  EXPECT_EQ(env.posted["ConnectFromServer"], 1);
  EXPECT_EQ(env.preferences.get(keys::pref::ipName), server.ipName);
  EXPECT_EQ(env.preferences.get(keys::pref::countryName), server.countryName);
  ASSERT_TRUE(env.preferences.get(keys::pref::config).has_value());
  EXPECT_FALSE(env.preferences.get(keys::pref::config)->empty());
  EXPECT_EQ(home.serverList(), nullptr);  // the picker dismissed itself

  // The device list shows this device, registered by the login.
  main.setPresentSideMenu(true);
  main.sideMenuView().tapRow(screens::SideMenuRowType::connectDevices);
  screens::ConnectDeviceView& devices = *main.devices();
  devices.appear();
  ASSERT_TRUE(env.settle([&] { return !devices.loading; }));
  EXPECT_FALSE(devices.lastError.has_value());
  EXPECT_GE(devices.devices.size(), 1u);

  // Log-out keeps the credentials for the prefilled login form.
  main.setPresentSideMenu(true);
  main.sideMenuView().tapRow(screens::SideMenuRowType::logOut);
  EXPECT_FALSE(env.preferences.get(keys::pref::loggedIn));
  ASSERT_NE(main.login(), nullptr);
  main.login()->appear();
  EXPECT_EQ(main.login()->email, "demo@corvane.test");
  EXPECT_EQ(main.login()->password, "corvane-demo-2026");
  env.loop.runUntil([] { return false; }, std::chrono::milliseconds(300));
}

}  // namespace
}  // namespace corvane::app
