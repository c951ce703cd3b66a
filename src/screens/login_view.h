#pragma once
// The login screen. It signs in through ApiClient.login, stores the credentials on success
// and announces "LoginSuccess"; whoever shows it (the root, or the main container after a
// log-out) switches to the dashboard on that notification. It never leaves by itself.
#include <memory>
#include <optional>
#include <string>

#include "screenkit/binding.h"
#include "screenkit/localization.h"
#include "screenkit/screen_model.h"

namespace corvane::screens {

class SignUPView;
class ForgetPassView;

class LoginView : public screenkit::ScreenModel {
 public:
  // Which of the screen's own navigation links is active (pushed on its stack).
  enum class Link { none, signUp, forgetPassword };

  LoginView(screenkit::Services services, std::string password, bool visible,
            screenkit::Binding<bool> presentSideMenu);
  ~LoginView() override;

  // Fields, in the screen's order.
  std::string announcementTwo;
  std::string email;
  std::string password;
  // What the window types into the two fields; each reports "changed" when the text differs.
  bool setEmail(std::string text) { return setField(email, std::move(text)); }
  bool setPassword(std::string text) { return setField(password, std::move(text)); }
  bool visible;
  screenkit::Binding<bool> presentSideMenu;  // passed through, never changed here
  bool showProgress = false;
  bool fail = false;
  bool emailEmpty = false;
  bool passEmpty = false;
  screenkit::Localization locale;

  // The screen, its e-mail field and its password field came into view.
  void appear();
  void toggleVisible();
  // The "Login" button. Fields are sent as typed, also when empty.
  void login();

  void openSignUp();          // "Register"
  void openForgetPassword();  // "Forget Password?"
  Link activeLink() const { return link_; }
  SignUPView* signUp() const { return signUp_.get(); }
  ForgetPassView* forgetPass() const { return forgetPass_.get(); }

  // Texts by state; none when the condition is off.
  std::optional<std::string_view> emailError() const;
  std::optional<std::string_view> passwordError() const;
  std::optional<std::string_view> failureText() const;
  static constexpr screenkit::NamedText kTexts[] = {
      {"title", "Welcome,\nlog in to your account"},
      {"emailCaption", "Email/Username"},
      {"passwordCaption", "Password"},
      {"placeholder", "| Type"},
      {"newUserText", "New user?"},
      {"registerText", "Register"},
      {"forgetText", "Forget Password?"},
      {"loginText", "Login"},
  };
  std::string_view passwordIcon() const { return visible ? "eye.fill" : "eye"; }
  int registerUnderline() const { return screenkit::underlineWidth(screenkit::UnderlinedLink::registerLink, locale); }
  int forgetUnderline() const { return screenkit::underlineWidth(screenkit::UnderlinedLink::forgetPassword, locale); }

 private:
  void popLink();

  Link link_ = Link::none;
  std::unique_ptr<SignUPView> signUp_;
  std::unique_ptr<ForgetPassView> forgetPass_;
};

}  // namespace corvane::screens
