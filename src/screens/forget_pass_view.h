#pragma once
// First screen of password recovery: asks the backend to send a reset code to the typed
// address, remembers the address as "username" for the next step, and pushes SetNewPassView.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "screenkit/localization.h"
#include "screenkit/screen_model.h"

namespace corvane::screens {

class SetNewPassView;

class ForgetPassView : public screenkit::ScreenModel {
 public:
  ForgetPassView(screenkit::Services services, std::function<void()> dismiss);
  ~ForgetPassView() override;

  std::string registerEmail;
  // What the window types into the field; reports "changed" when the text differs.
  bool setRegisterEmail(std::string text) { return setField(registerEmail, std::move(text)); }
  bool success = false;
  bool txtEmpty = false;
  bool showProgress = false;
  bool fail = false;
  screenkit::Localization locale;

  void resetPassword();  // the "Reset Password" button; no check before the request
  void logIn();          // "Log In" behind "Return to"

  static constexpr screenkit::NamedText kTexts[] = {
      {"title", "Reset password"},
      {"emailCaption", "Enter your registered email"},
      {"placeholder", "| Type"},
      {"buttonText", "Reset Password"},
      {"returnText", "Return to"},
      {"logInText", "Log In"},
  };
  std::optional<std::string_view> fieldError() const;
  std::optional<std::string_view> failureText() const;
  int logInUnderline() const { return screenkit::underlineWidth(screenkit::UnderlinedLink::logIn, locale); }
  SetNewPassView* setNewPass() const { return next_.get(); }

 private:
  std::function<void()> dismiss_;
  std::unique_ptr<SetNewPassView> next_;
};

}  // namespace corvane::screens
