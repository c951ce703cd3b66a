#include <gtest/gtest.h>

#include "common/screen_env.h"
#include "screens/forget_pass_success.h"
#include "screens/forget_pass_view.h"
#include "screens/login_view.h"
#include "screens/set_new_pass_view.h"

namespace corvane::screens {
namespace {

using platform::seconds;

class RecoveryTest : public ::testing::Test {
 protected:
  test::ScreenEnv env;
};

TEST_F(RecoveryTest, RefusedRequestShowsItsMessagesEmptyFieldIncluded) {
  env.answer("reset-password-token-request", R"({"status_code":404,"message":"Unknown"})");
  struct Case {
    std::string email;
    bool txtEmpty;
  };
  for (const Case& c : {Case{"", true}, Case{"nobody@example.org", false}}) {
    ForgetPassView view(env.services(), {});
    view.registerEmail = c.email;
    view.resetPassword();
    ASSERT_TRUE(env.settle([&] { return !view.showProgress; }));
    EXPECT_EQ(view.txtEmpty, c.txtEmpty);
    EXPECT_TRUE(view.fail);  // shown with the field line too, unlike the login screen
    EXPECT_EQ(view.failureText(),
              std::optional<std::string_view>(
                  "You are not register, Please sign up first to reset password!"));
    EXPECT_FALSE(view.success);
  }
  EXPECT_EQ(env.preferences.get(keys::pref::username), std::nullopt);
}

TEST_F(RecoveryTest, TheChainFromRequestToAPrefilledLoginScreen) {
  env.preferences.set(keys::pref::password, "old-password");
  env.answer("reset-password-token-request", R"({"status_code":200,"message":"Code sent"})");
  env.answer("reset-password", R"({"status_code":200,"message":"Password changed"})");
  ForgetPassView forget(env.services(), {});
  forget.registerEmail = "ada@example.org";
  forget.resetPassword();
  ASSERT_TRUE(env.settle([&] { return !forget.showProgress; }));
  ASSERT_TRUE(forget.success);
  EXPECT_EQ(env.preferences.get(keys::pref::username), "ada@example.org");

  // The reset reads the account and the code from the preferences, not from the screens.
  env.preferences.set(keys::pref::otpValue, "123456");
  SetNewPassView& next = *forget.setNewPass();
  next.password = next.rePassword = "new-password";
  next.saveNewPassword();
  ASSERT_TRUE(env.settle([&] { return !next.showProgress; }));
  ASSERT_TRUE(next.success);
  const auto sent = env.posts("reset-password");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].body.find("ada@example.org"), std::string::npos);
  EXPECT_NE(sent[0].body.find("123456"), std::string::npos);

  ForgetPassSuccess& done = *next.successScreen();
  done.goToLoginTapped();
  LoginView& login = *done.login();
  login.appear();
  EXPECT_EQ(login.email, "ada@example.org");
  EXPECT_EQ(login.password, "old-password");  // a reset does not store the new password
}

TEST_F(RecoveryTest, NewPasswordChecksAndFailure) {
  SetNewPassView view(env.services());
  view.password = "a";
  view.rePassword = "b";
  view.saveNewPassword();
  EXPECT_TRUE(view.showAlertPass());
  env.loop.advance(seconds(1.0));
  EXPECT_FALSE(view.showAlertPass());
  EXPECT_TRUE(env.posts("reset-password").empty());

  // Two empty fields match and are sent; without a code or account, as empty texts.
  env.answer("reset-password", R"j({"status_code":400,"message":"Optional(Invalid code)"})j");
  view.password = view.rePassword = "";
  view.saveNewPassword();
  ASSERT_TRUE(env.settle([&] { return !view.showProgress; }));
  EXPECT_TRUE(view.fail);
  EXPECT_EQ(view.alertMessage(), "Invalid code");
  EXPECT_EQ(env.posts("reset-password").size(), 1u);
}

}  // namespace
}  // namespace corvane::screens
