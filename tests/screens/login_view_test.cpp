#include "screens/login_view.h"

#include <gtest/gtest.h>

#include "keys/notification_names.h"
#include "common/screen_env.h"
#include "screens/forget_pass_view.h"
#include "screens/sign_up_view.h"

namespace corvane::screens {
namespace {

constexpr const char* kRefused = R"({"response_code":0,"message":"Invalid login"})";
constexpr const char* kAccepted = R"({"response_code":1,"message":"Welcome","ip_bundle":[]})";

class LoginViewTest : public ::testing::Test {
 protected:
  LoginViewTest() {
    env.count(std::string(keys::kLoginSuccess));
    env.count(std::string(keys::kLoginFailed));
  }
  void loginAndSettle() {
    view.login();
    ASSERT_TRUE(view.showProgress);
    ASSERT_TRUE(env.settle([&] { return !view.showProgress; }));
  }

  test::ScreenEnv env;
  bool sideMenu = false;
  LoginView view{env.services(), "", false, screenkit::Binding<bool>::to(sideMenu)};
};

TEST_F(LoginViewTest, FailuresShowTheirMessageUnderEmptyFieldsOrUserNotFound) {
  struct Case {
    std::string email, password;
    bool emailEmpty, passEmpty, fail;
  };
  const Case cases[] = {
      {"", "", true, true, false},
      {"ada@example.org", "", false, true, false},
      {"", "secret", true, false, false},
      {"ada@example.org", "secret", false, false, true},
  };
  env.answer("login", kRefused);
  int attempts = 0;
  for (const Case& c : cases) {
    view.email = c.email;
    view.password = c.password;
    loginAndSettle();
    ++attempts;
    EXPECT_EQ(view.emailEmpty, c.emailEmpty) << c.email << "/" << c.password;
    EXPECT_EQ(view.passEmpty, c.passEmpty);
    EXPECT_EQ(view.fail, c.fail);
    EXPECT_EQ(view.failureText().has_value(), c.fail);
    EXPECT_EQ(view.emailError(), c.emailEmpty ? std::optional<std::string_view>(
                                                    "Invalid credentials, please try again")
                                              : std::nullopt);
    EXPECT_EQ(env.posted["Loginfailed"], attempts);
  }
  EXPECT_EQ(env.posted["LoginSuccess"], 0);
  EXPECT_FALSE(env.preferences.get(keys::pref::loggedIn));
  EXPECT_EQ(env.preferences.get(keys::pref::username), std::nullopt);
  // Fields are sent as typed, empty ones too.
  EXPECT_EQ(env.posts("login").size(), 4u);
}

TEST_F(LoginViewTest, AnUnreachableBackendIsUserNotFound) {
  env.answer("login", "oops", 500);
  view.email = "ada@example.org";
  view.password = "secret";
  loginAndSettle();
  EXPECT_TRUE(view.fail);
  EXPECT_EQ(view.failureText(), std::optional<std::string_view>("User not found!"));
}

TEST_F(LoginViewTest, ANewAttemptClearsTheMessagesBeforeItIsSent) {
  env.answer("login", kRefused);
  loginAndSettle();
  ASSERT_TRUE(view.emailEmpty);
  view.email = "ada@example.org";
  view.password = "secret";
  view.login();
  EXPECT_FALSE(view.emailEmpty || view.passEmpty || view.fail);
  EXPECT_TRUE(view.showProgress);
  ASSERT_TRUE(env.settle([&] { return !view.showProgress; }));
}

TEST_F(LoginViewTest, SuccessStoresTheCredentialsThenPostsOnce) {
  env.answer("login", kAccepted);
  // Observers of "LoginSuccess" read the flag: it must already be stored.
  std::optional<bool> seenLoggedIn;
  auto token = env.notifications.addObserver(std::string(keys::kLoginSuccess),
                                             [&] { seenLoggedIn = env.preferences.get(keys::pref::loggedIn); });
  view.email = "ada@example.org";
  view.password = "s3cret (x)";
  loginAndSettle();
  env.notifications.removeObserver(token);
  EXPECT_EQ(seenLoggedIn, true);
  EXPECT_EQ(env.posted["LoginSuccess"], 1);
  EXPECT_EQ(env.posted["Loginfailed"], 0);
  EXPECT_EQ(env.preferences.get(keys::pref::username), "ada@example.org");
  EXPECT_EQ(env.preferences.get(keys::pref::password), "s3cret (x)");
  EXPECT_EQ(env.groupPreferences.get(keys::pref::username), "ada@example.org");
  EXPECT_EQ(env.groupPreferences.get(keys::pref::password), "s3cret (x)");
  EXPECT_FALSE(view.fail || view.emailEmpty || view.passEmpty);
  // The screen does not leave or clear itself.
  EXPECT_EQ(view.email, "ada@example.org");
}

TEST_F(LoginViewTest, AppearancePrefillsOnlyEmptyFieldsAndShowsTheAnnouncement) {
  view.appear();
  EXPECT_EQ(view.announcementTwo, "");
  EXPECT_EQ(view.email, "");

  env.preferences.set(keys::pref::announcementTwo, "Maintenance tonight");
  env.preferences.set(keys::pref::username, "last@example.org");
  env.preferences.set(keys::pref::password, "last-pass");
  view.appear();
  EXPECT_EQ(view.announcementTwo, "Maintenance tonight");
  EXPECT_EQ(view.email, "last@example.org");
  EXPECT_EQ(view.password, "last-pass");

  view.email = "typed@example.org";
  env.preferences.set(keys::pref::username, "other@example.org");
  view.appear();
  EXPECT_EQ(view.email, "typed@example.org");
}

TEST_F(LoginViewTest, EyeIconUnderlinesAndLinks) {
  EXPECT_EQ(view.passwordIcon(), "eye");
  view.toggleVisible();
  EXPECT_EQ(view.passwordIcon(), "eye.fill");
  EXPECT_EQ(view.registerUnderline(), 63);
  EXPECT_EQ(view.forgetUnderline(), 130);
  LoginView chinese(env.services("zh_CN"), "", false, screenkit::Binding<bool>::to(sideMenu));
  EXPECT_EQ(chinese.registerUnderline(), 33);
  EXPECT_EQ(chinese.forgetUnderline(), 60);

  view.openSignUp();
  EXPECT_EQ(view.activeLink(), LoginView::Link::signUp);
  ASSERT_NE(view.signUp(), nullptr);
  view.signUp()->logIn();  // "Log In" pops back, nothing sent
  EXPECT_EQ(view.activeLink(), LoginView::Link::none);
  EXPECT_EQ(view.signUp(), nullptr);
  view.openForgetPassword();
  EXPECT_EQ(view.activeLink(), LoginView::Link::forgetPassword);
  EXPECT_NE(view.forgetPass(), nullptr);
  env.loop.runPending();
  EXPECT_TRUE(env.http.requests().empty());
}

TEST(LoginViewLifetime, AScreenGoneBeforeItsAnswerStillAnnouncesTheStoredLogin) {
  test::ScreenEnv env;
  env.count(std::string(keys::kLoginSuccess));
  env.http.answer("POST", "/app-api-v1/login",
                  test::ScriptedReply::json(200, kAccepted).after(std::chrono::milliseconds(200)));
  bool sideMenu = false;
  {
    LoginView view(env.services(), "pw", false, screenkit::Binding<bool>::to(sideMenu));
    view.email = "ada@example.org";
    view.login();
  }
  // The answer still stores what the login achieved, and since "loggedIn" is stored the root
  // hears of it too; nothing else reaches the gone screen.
  ASSERT_TRUE(env.settle([&] { return env.preferences.get(keys::pref::loggedIn); }));
  env.loop.runUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(env.posted["LoginSuccess"], 1);
}

}  // namespace
}  // namespace corvane::screens
