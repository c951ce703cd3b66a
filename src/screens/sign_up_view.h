#pragma once
// The sign-up screen. Checks the two passwords and the privacy box on the device, then
// calls ApiClient.signUp; on success it pushes the registration-success screen and keeps
// the new credentials for the login form, on failure it shows the backend's message.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "screenkit/form_notice.h"
#include "screenkit/localization.h"
#include "screenkit/screen_model.h"

namespace corvane::screens {

class RegistarationSuccessView;

class SignUPView : public screenkit::ScreenModel {
 public:
  // `dismiss` leaves the screen (the login screen's stack pops it).
  SignUPView(screenkit::Services services, std::function<void()> dismiss);
  ~SignUPView() override;

  std::string email;
  std::string password;
  bool visible = false;
  std::string rePassword;
  bool visible2 = false;
  bool toggle = false;
  bool goToEmailVerification = false;
  bool showProgress = false;
  bool fail = false;
  std::string username;
  // What the window types into the fields; each reports "changed" when the text differs.
  bool setEmail(std::string text) { return setField(email, std::move(text)); }
  bool setPassword(std::string text) { return setField(password, std::move(text)); }
  bool setRePassword(std::string text) { return setField(rePassword, std::move(text)); }
  bool setUsername(std::string text) { return setField(username, std::move(text)); }
  screenkit::Localization locale;

  bool showAlertPass() const { return passNotice_.shown(); }
  bool showToggleAlert() const { return toggleNotice_.shown(); }

  void toggleVisible();
  void toggleVisible2();
  void togglePrivacy();
  void registerAccount();  // the "Register" button
  void logIn();            // "Log In": back to the login screen, nothing sent
  void closeAlert();       // "OK" of the "Oops!" alert

  static constexpr screenkit::NamedText kTexts[] = {
      {"title", "Create your account"},
      {"haveAccountText", "Already have an account?"},
      {"logInText", "Log In"},
      {"usernameCaption", "Username"},
      {"usernamePlaceholder", "Email/Username"},
      {"passwordCaption", "Password"},
      {"rePasswordCaption", "Retype-password"},
      {"emailCaption", "Email address"},
      {"placeholder", "| Type"},
      {"smallPrint", "*The email is the only credential for password\nrecovery, please fill it out carefully."},
      {"acceptText", "Accept all"},
      {"privacyText", "Privacy Policy"},
      {"registerText", "Register"},
  };
  // The one-second notice shown now, in the user's language; empty when none.
  std::string_view notice() const {
    if (showAlertPass()) return locale.text("Password Does Not Match!");
    if (showToggleAlert()) return locale.text("Agree Privacy Policy");
    return {};
  }
  // The "Oops!" message (from "signupmsg"), meaningful while `fail` is true.
  std::string alertMessage() const;
  std::string_view passwordIcon() const { return visible ? "eye" : "eye.fill"; }
  std::string_view rePasswordIcon() const { return visible2 ? "eye" : "eye.fill"; }
  std::string_view checkBoxImage() const { return toggle ? "checkBoxTick" : "checkBox"; }
  int privacyUnderline() const { return screenkit::underlineWidth(screenkit::UnderlinedLink::privacyPolicy, locale); }

  RegistarationSuccessView* registrationSuccess() const { return success_.get(); }

 private:
  std::function<void()> dismiss_;
  screenkit::FormNotice passNotice_;
  screenkit::FormNotice toggleNotice_;
  std::unique_ptr<RegistarationSuccessView> success_;
};

}  // namespace corvane::screens
