#include "screens/main_tabbed_view.h"

#include <gtest/gtest.h>

#include "keys/notification_names.h"
#include "common/screen_env.h"
#include "screens/connect_device_view.h"
#include "screens/login_view.h"
#include "screens/support_view.h"

namespace corvane::screens {
namespace {

using Shown = MainTabbedView::Shown;

class MainTabbedViewTest : public ::testing::Test {
 protected:
  MainTabbedViewTest() {
    env.preferences.set(keys::pref::loggedIn, true);
    env.preferences.set(keys::pref::username, "ada@example.org");
    env.preferences.set(keys::pref::password, "secret");
    env.answer("pin-set-offline", R"({"status_code":200,"message":"ok"})");
  }
  void tap(MainTabbedView& main, SideMenuRowType row) {
    main.setPresentSideMenu(true);
    main.sideMenuView().tapRow(row);
  }

  test::ScreenEnv env;
};

TEST_F(MainTabbedViewTest, SelectionDecidesTheScreen) {
  MainTabbedView main(env.services());
  EXPECT_EQ(main.selectedSideMenuTab(), 6);
  EXPECT_EQ(main.shown(), Shown::dashboard);
  EXPECT_NE(main.home(), nullptr);
  const std::pair<std::int64_t, Shown> cases[] = {
      {0, Shown::support}, {1, Shown::setting}, {2, Shown::connectDevices},
      {6, Shown::dashboard}, {7, Shown::dashboard}, {-1, Shown::dashboard}};
  for (const auto& [value, shown] : cases) {
    main.setSelectedSideMenuTab(value);
    EXPECT_EQ(main.shown(), shown) << value;
  }
  main.setSelectedSideMenuTab(0);
  EXPECT_NE(main.support(), nullptr);
  // Creating containers runs no log-out.
  MainTabbedView another(env.services());
  env.loop.runUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_TRUE(env.posts("pin-set-offline").empty());
}

TEST_F(MainTabbedViewTest, LogOutReportsOfflineOnceAndKeepsTheCredentials) {
  (void)env.keychain.setString("0f8fad5b-d9cb-469f-a165-70867728950e", "UUID");
  MainTabbedView main(env.services());
  tap(main, SideMenuRowType::logOut);
  EXPECT_FALSE(main.presentSideMenu);
  EXPECT_FALSE(env.preferences.get(keys::pref::loggedIn));  // before the backend answers
  EXPECT_EQ(main.shown(), Shown::login);
  ASSERT_TRUE(env.settle([&] { return env.posts("pin-set-offline").size() == 1; }));
  const auto body = env.posts("pin-set-offline")[0].body;
  EXPECT_NE(body.find("ada@example.org"), std::string::npos);
  EXPECT_NE(body.find("secret"), std::string::npos);
  // This device, not whichever of the account's devices the backend saw last.
  EXPECT_NE(body.find(R"("udid":"0f8fad5b-d9cb-469f-a165-70867728950e")"), std::string::npos) << body;
  EXPECT_EQ(env.preferences.get(keys::pref::username), "ada@example.org");
  EXPECT_EQ(env.preferences.get(keys::pref::password), "secret");

  // The login screen in the container offers the same account; signing in returns to the
  // dashboard without a second log-out.
  ASSERT_NE(main.login(), nullptr);
  main.login()->appear();
  EXPECT_EQ(main.login()->email, "ada@example.org");
  env.preferences.set(keys::pref::loggedIn, true);
  env.notifications.post(keys::kLoginSuccess);
  EXPECT_EQ(main.selectedSideMenuTab(), 6);
  EXPECT_TRUE(env.preferences.get(keys::pref::loggedIn));
  env.loop.runUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(env.posts("pin-set-offline").size(), 1u);
}

TEST_F(MainTabbedViewTest, CloseFromASideScreenReturnsToTheDashboard) {
  MainTabbedView main(env.services());
  for (SideMenuRowType row : {SideMenuRowType::getSupport, SideMenuRowType::connectDevices}) {
    tap(main, row);
    if (main.support() != nullptr) main.support()->tapClose();
    if (main.devices() != nullptr) main.devices()->tapClose();
    env.loop.runPending();
    EXPECT_EQ(main.selectedSideMenuTab(), 6);
    EXPECT_EQ(main.shown(), Shown::dashboard);
    EXPECT_FALSE(main.presentSideMenu);
  }
}

TEST_F(MainTabbedViewTest, AboutUsOpensOnlyAValidLinkAndShowsANestedContainer) {
  struct Case {
    std::optional<std::string> link;
    bool opens;
  };
  const Case cases[] = {{std::nullopt, false}, {"not a url", false},
                        {"https://corvane.net/about", true}};
  for (const Case& c : cases) {
    env.preferences.set(keys::pref::aboutUsLink, c.link);
    MainTabbedView main(env.services());
    const auto before = env.opener.opened().size();
    tap(main, SideMenuRowType::aboutUs);
    EXPECT_EQ(env.opener.opened().size() - before, c.opens ? 1u : 0u);
    ASSERT_NE(main.aboutContainer(), nullptr);
    EXPECT_EQ(main.aboutContainer()->shown(), Shown::dashboard);
    env.notifications.post(keys::kClose);
    EXPECT_EQ(main.selectedSideMenuTab(), 6);
  }
}

}  // namespace
}  // namespace corvane::screens
