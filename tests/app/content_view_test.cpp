#include "app/content_view.h"

#include <gtest/gtest.h>

#include "keys/notification_names.h"
#include "common/screen_env.h"
#include "screens/login_view.h"
#include "screens/main_tabbed_view.h"

namespace corvane::app {
namespace {

using platform::seconds;
using Child = ContentView::Child;

class ContentViewTest : public ::testing::Test {
 protected:
  void linkTable(int status, std::optional<std::string> body) {
    env.https.answer("GET", "/app-api-v1/get-links", test::ScriptedReply(status, std::move(body)));
  }
  // Appears and waits for the enter decision to reach the main loop.
  void appearAndDecide(ContentView& root) {
    root.appear();
    ASSERT_TRUE(env.settle([&] { return root.enterDecision().has_value(); }));
  }
  std::size_t announcementRequests() {
    std::size_t n = 0;
    for (auto& r : env.https.requests()) n += r.path == "/app-api-v1/announcement-info";
    return n;
  }

  test::ScreenEnv env;
};

TEST_F(ContentViewTest, EntersTwoSecondsAfterTheLinkTableByTheSignInFlag) {
  for (bool loggedIn : {false, true}) {
    env.preferences.set(keys::pref::loggedIn, loggedIn);
    linkTable(200, "{}");
    ContentView root(env.services());
    appearAndDecide(root);
    EXPECT_EQ(root.enterDecision(), true);
    EXPECT_TRUE(root.splash.isLogoHidden);
    env.loop.advance(seconds(1.999));
    EXPECT_EQ(root.shown(), Child::splash);
    EXPECT_TRUE(root.showSplashView);
    env.loop.advance(seconds(0.001));
    EXPECT_FALSE(root.showSplashView);
    EXPECT_TRUE(root.showViewSecond);
    EXPECT_EQ(root.shown(), loggedIn ? Child::main : Child::login);
    EXPECT_EQ(root.login() != nullptr, !loggedIn);
    EXPECT_EQ(root.main() != nullptr, loggedIn);
    EXPECT_TRUE(env.sink->contains("You can enter the app"));
  }
}

TEST_F(ContentViewTest, AFrontWithNoSplashToDrawEntersWithoutTheDelay) {
  for (bool loggedIn : {false, true}) {
    env.preferences.set(keys::pref::loggedIn, loggedIn);
    linkTable(200, "{}");
    ContentView root(env.services(), platform::Duration::zero());
    appearAndDecide(root);
    env.loop.runPending();
    EXPECT_EQ(root.shown(), loggedIn ? Child::main : Child::login);
  }
}

TEST_F(ContentViewTest, FailedLinkTableShowsServerErrorForTwoAndAHalfSeconds) {
  struct Case {
    int status;
    std::optional<std::string> body;
  };
  // A body that is not JSON, and no body at all.
  const Case cases[] = {{200, "this is not json"}, {204, std::nullopt}};
  for (const Case& c : cases) {
    env.preferences.set(keys::pref::loggedIn, true);  // even signed in, a failed gate never enters
    linkTable(c.status, c.body);
    ContentView root(env.services());
    appearAndDecide(root);
    EXPECT_EQ(root.enterDecision(), false);
    EXPECT_TRUE(root.failEnterApp);
    env.loop.advance(seconds(2.499));
    EXPECT_TRUE(root.failEnterApp);
    env.loop.advance(seconds(0.001));
    EXPECT_FALSE(root.failEnterApp);
    env.loop.advance(seconds(600));
    EXPECT_EQ(root.shown(), Child::splash);
    EXPECT_EQ(root.main(), nullptr);
    EXPECT_TRUE(env.sink->contains("Do not enter the app"));
  }
}

TEST_F(ContentViewTest, AnnouncementsAreFetchedOncePerAppearanceEvenWhenTheGateFails) {
  linkTable(200, "not json");
  env.https.answer("GET", "/app-api-v1/announcement-info",
                   test::ScriptedReply::json(200, R"({"announcement_one":"a","announcement_two":"b"})"));
  ContentView root(env.services());
  appearAndDecide(root);
  ASSERT_TRUE(env.settle([&] { return announcementRequests() >= 1; }));
  EXPECT_EQ(announcementRequests(), 1u);
}

TEST_F(ContentViewTest, LoginSuccessMovesTheRootToTheMainContainer) {
  linkTable(200, "{}");
  ContentView root(env.services());
  appearAndDecide(root);
  env.loop.advance(seconds(2.0));
  ASSERT_EQ(root.shown(), Child::login);
  // The login screen stores the flag before it posts.
  env.preferences.set(keys::pref::loggedIn, true);
  env.notifications.post(keys::kLoginSuccess);
  EXPECT_EQ(root.shown(), Child::main);
  ASSERT_NE(root.main(), nullptr);
  env.loop.runPending();  // the retired login screen goes
  EXPECT_EQ(root.login(), nullptr);
}

}  // namespace
}  // namespace corvane::app
