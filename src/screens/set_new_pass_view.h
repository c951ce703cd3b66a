#pragma once
// Second screen of password recovery: the new password twice. The account and the reset
// code come from "username" and "OTPValue" (corvanectl reset --code stores the code).
#include <memory>
#include <string>

#include "screens/form_notice.h"
#include "screens/localization.h"
#include "screens/screen_model.h"

namespace corvane::screens {

class ForgetPassSuccess;

class SetNewPassView : public ScreenModel {
 public:
  explicit SetNewPassView(app::Services services);
  ~SetNewPassView() override;

  std::string password;
  bool visible = false;
  std::string rePassword;
  bool visible2 = false;
  bool success = false;
  bool fail = false;
  bool showProgress = false;
  Localization locale;

  bool showAlertPass() const { return passNotice_.shown(); }

  void toggleVisible();
  void toggleVisible2();
  void saveNewPassword();  // the "Save new password" button
  void closeAlert();

  std::string alertMessage() const;  // from "resetpasswordmsg"
  std::string_view passwordIcon() const { return visible ? "eye" : "eye.fill"; }
  std::string_view rePasswordIcon() const { return visible2 ? "eye" : "eye.fill"; }
  ForgetPassSuccess* successScreen() const { return next_.get(); }

 private:
  FormNotice passNotice_;
  std::unique_ptr<ForgetPassSuccess> next_;
};

}  // namespace corvane::screens
