#include "screens/sign_up_view.h"

#include <gtest/gtest.h>

#include "app/content_view.h"
#include "common/screen_env.h"
#include "screens/registaration_success_view.h"

namespace corvane::screens {
namespace {

using platform::seconds;

class SignUpTest : public ::testing::Test {
 protected:
  test::ScreenEnv env;
  int dismissed = 0;
  SignUPView view{env.services(), [this] { ++dismissed; }};
};

TEST_F(SignUpTest, LocalChecksShowAOneSecondNoticeAndSendNothing) {
  struct Case {
    std::string password, rePassword;
    bool ticked;
    bool passNotice, toggleNotice;
  };
  const Case cases[] = {
      {"a", "b", true, true, false},
      {"same", "same", false, false, true},
      // Passwords are compared first: both wrong shows only the password notice.
      {"a", "b", false, true, false},
  };
  for (const Case& c : cases) {
    view.password = c.password;
    view.rePassword = c.rePassword;
    view.toggle = c.ticked;
    view.registerAccount();
    EXPECT_EQ(view.showAlertPass(), c.passNotice);
    EXPECT_EQ(view.showToggleAlert(), c.toggleNotice);
    EXPECT_FALSE(view.showProgress);
    env.loop.advance(seconds(0.999));
    EXPECT_EQ(view.showAlertPass() || view.showToggleAlert(), true);
    env.loop.advance(seconds(0.001));
    EXPECT_FALSE(view.showAlertPass() || view.showToggleAlert());
  }
  env.loop.runUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_TRUE(env.posts("sign-up").empty());
}

TEST_F(SignUpTest, FailureShowsTheStoredMessageWithoutTheOptionalWrapper) {
  struct Case {
    std::string reply;
    std::string shown;
  };
  const Case cases[] = {
      {R"j({"status_code":422,"message":"Optional(Username already taken)"})j",
       "Username already taken"},
      // The message's own parentheses survive.
      {R"j({"status_code":422,"message":"Password too short (min 8)"})j",
       "Password too short (min 8)"},
  };
  view.toggle = true;  // empty passwords match: the request is sent
  for (const Case& c : cases) {
    env.answer("sign-up", c.reply);
    view.registerAccount();
    EXPECT_TRUE(view.showProgress);
    ASSERT_TRUE(env.settle([&] { return !view.showProgress; }));
    EXPECT_TRUE(view.fail);
    EXPECT_EQ(view.alertMessage(), c.shown);
    view.closeAlert();
    EXPECT_FALSE(view.fail);
  }
  EXPECT_EQ(env.posts("sign-up").size(), 2u);
  EXPECT_FALSE(view.goToEmailVerification);
  EXPECT_EQ(env.preferences.get(keys::pref::username), std::nullopt);
}

TEST_F(SignUpTest, SuccessPushesTheSuccessScreenAndOffersTheNewAccount) {
  env.answer("sign-up", R"({"status_code":200,"message":"Registered"})");
  view.username = "newbie";
  view.email = "newbie@example.org";
  view.password = view.rePassword = "pw";
  view.togglePrivacy();
  EXPECT_EQ(view.checkBoxImage(), "checkBoxTick");
  view.registerAccount();
  ASSERT_TRUE(env.settle([&] { return !view.showProgress; }));
  EXPECT_TRUE(view.goToEmailVerification);
  EXPECT_FALSE(view.fail);
  EXPECT_EQ(env.preferences.get(keys::pref::username), "newbie");  // the user name, not the e-mail
  EXPECT_EQ(env.preferences.get(keys::pref::password), "pw");
  EXPECT_FALSE(env.preferences.get(keys::pref::loggedIn));
  ASSERT_NE(view.registrationSuccess(), nullptr);
  view.registrationSuccess()->goToLoginTapped();
  ASSERT_NE(view.registrationSuccess()->root(), nullptr);
  auto* root = dynamic_cast<app::ContentView*>(view.registrationSuccess()->root());
  ASSERT_NE(root, nullptr) << "the root the factory builds";
  EXPECT_EQ(root->shown(), app::ContentView::Child::splash);
}

TEST_F(SignUpTest, EyeIconsAreTheOppositeOfTheLoginScreens) {
  EXPECT_EQ(view.passwordIcon(), "eye.fill");
  view.toggleVisible();
  EXPECT_EQ(view.passwordIcon(), "eye");
  EXPECT_EQ(view.rePasswordIcon(), "eye.fill");
  view.toggleVisible2();
  EXPECT_EQ(view.rePasswordIcon(), "eye");
  EXPECT_EQ(view.privacyUnderline(), 119);
  view.logIn();
  EXPECT_EQ(dismissed, 1);
}

}  // namespace
}  // namespace corvane::screens
