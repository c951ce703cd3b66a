#include "screens/support_view.h"

#include <gtest/gtest.h>

#include "keys/notification_names.h"
#include "common/screen_env.h"
#include "screens/side_menu_view.h"

namespace corvane::screens {
namespace {

class SupportViewTest : public ::testing::Test {
 protected:
  test::ScreenEnv env;
  bool sideMenu = false;
  SupportView view{env.services(), screenkit::Binding<bool>::to(sideMenu)};
};

TEST_F(SupportViewTest, EmailRowOpensTheEncodedMailtoUrl) {
  struct Case {
    std::optional<std::string> stored;
    std::optional<std::string> opened;
  };
  const Case cases[] = {
      {"help@corvane.net", "mailto:help@corvane.net?subject=&body="},
      {"help desk@corvane.net", "mailto:help%20desk@corvane.net?subject=&body="},
      {"hjälp@corvane.se", "mailto:hj%C3%A4lp@corvane.se?subject=&body="},
      // No stored address: an e-mail with an empty recipient.
      {std::nullopt, "mailto:?subject=&body="},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    env.preferences.set(keys::pref::emailLink, c.stored);
    EXPECT_EQ(view.tapEmail(), c.opened) << c.stored.value_or("<absent>");
    if (c.opened) expected.push_back(*c.opened);
  }
  EXPECT_EQ(env.opener.opened(), expected);
}

TEST_F(SupportViewTest, ChatRowOpensOnlyAValidLink) {
  struct Case {
    std::optional<std::string> stored;
    bool opens;
  };
  const Case cases[] = {{"https://t.me/corvane_support", true},
                        {std::nullopt, false},
                        {"not a link", false},
                        {"", false}};
  for (const Case& c : cases) {
    env.preferences.set(keys::pref::whatsappLink, c.stored);
    EXPECT_EQ(view.tapChat().has_value(), c.opens) << c.stored.value_or("<absent>");
  }
  EXPECT_EQ(env.opener.opened(), std::vector<std::string>{"https://t.me/corvane_support"});
}

TEST_F(SupportViewTest, ClosePostsCloseOnTheMainLoop) {
  env.count(std::string(keys::kClose));
  view.tapClose();
  EXPECT_EQ(env.posted["Close"], 0);  // queued, not posted from inside the tap
  env.loop.runPending();
  EXPECT_EQ(env.posted["Close"], 1);
}

TEST(SideMenuViewTest, RowsSelectAndCloseTheMenu) {
  test::ScreenEnv env;
  std::int64_t selection = 6;
  bool menuOpen = true;
  SideMenuView menu(env.services(), screenkit::Binding<std::int64_t>::to(selection),
                    screenkit::Binding<bool>::to(menuOpen));
  int changes = 0;
  menu.addChangeListener([&] { ++changes; });
  for (SideMenuRowType row : kAllSideMenuRows) {
    menuOpen = true;
    menu.tapRow(row);
    EXPECT_EQ(selection, static_cast<std::int64_t>(row));
    EXPECT_FALSE(menuOpen);
  }
  EXPECT_EQ(changes, 5);
  menu.tapClose();
  EXPECT_TRUE(menuOpen);  // the icon toggles

  EXPECT_EQ(menu.userName(), "");
  env.preferences.set(keys::pref::username, "ada@example.org");
  EXPECT_EQ(menu.userName(), "ada@example.org");

  SideMenu overlay(screenkit::Binding<bool>::to(menuOpen));
  overlay.tapDimmedArea();
  EXPECT_FALSE(menuOpen);
  EXPECT_EQ(selection, 4);  // the dimmed area does not change the selection
}

TEST(SideMenuRowTypeTest, RawValuesTitlesAndIcons) {
  EXPECT_EQ(sideMenuRow(0), SideMenuRowType::getSupport);
  EXPECT_EQ(sideMenuRow(4), SideMenuRowType::logOut);
  EXPECT_EQ(sideMenuRow(5), std::nullopt);
  EXPECT_EQ(sideMenuRow(-1), std::nullopt);
  EXPECT_EQ(title(SideMenuRowType::connectDevices), "Connect devices");
  EXPECT_EQ(iconName(SideMenuRowType::aboutUs), "about");
  EXPECT_EQ(iconName(SideMenuRowType::logOut), "logout");
}

}  // namespace
}  // namespace corvane::screens
