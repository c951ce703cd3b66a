#pragma once
// Second screen of password recovery: the new password twice. The account and the reset
// code come from "username" and "OTPValue" (corvanectl reset --code stores the code).
#include <memory>
#include <string>

#include "screenkit/form_notice.h"
#include "screenkit/localization.h"
#include "screenkit/screen_model.h"

namespace corvane::screens {

class ForgetPassSuccess;

class SetNewPassView : public screenkit::ScreenModel {
 public:
  explicit SetNewPassView(screenkit::Services services);
  ~SetNewPassView() override;

  std::string password;
  bool visible = false;
  std::string rePassword;
  // What the window types into the two fields; each reports "changed" when the text differs.
  bool setPassword(std::string text) { return setField(password, std::move(text)); }
  bool setRePassword(std::string text) { return setField(rePassword, std::move(text)); }
  bool visible2 = false;
  bool success = false;
  bool fail = false;
  bool showProgress = false;
  screenkit::Localization locale;

  bool showAlertPass() const { return passNotice_.shown(); }

  void toggleVisible();
  void toggleVisible2();
  void saveNewPassword();  // the "Save new password" button
  void closeAlert();

  static constexpr screenkit::NamedText kTexts[] = {
      {"title", "Set new password"},
      {"passwordCaption", "Password"},
      {"rePasswordCaption", "Please re-enter password"},
      {"placeholder", "| Type"},
      {"buttonText", "Save new password"},
  };
  // The one-second notice shown now, in the user's language; empty when none.
  std::string_view notice() const { return showAlertPass() ? locale.text("Password Does Not Match!") : ""; }
  std::string alertMessage() const;  // from "resetpasswordmsg"
  std::string_view passwordIcon() const { return visible ? "eye" : "eye.fill"; }
  std::string_view rePasswordIcon() const { return visible2 ? "eye" : "eye.fill"; }
  ForgetPassSuccess* successScreen() const { return next_.get(); }

 private:
  screenkit::FormNotice passNotice_;
  std::unique_ptr<ForgetPassSuccess> next_;
};

}  // namespace corvane::screens
