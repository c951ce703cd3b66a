#pragma once
// Last screen of password recovery. "Go to login" pushes a fresh login screen, which
// offers the stored credentials (the new password is not stored by a reset).
#include <memory>

#include "screenkit/localization.h"
#include "screenkit/screen_model.h"

namespace corvane::screens {

class LoginView;

class ForgetPassSuccess : public screenkit::ScreenModel {
 public:
  explicit ForgetPassSuccess(screenkit::Services services);
  ~ForgetPassSuccess() override;

  bool goToLogin = false;

  void goToLoginTapped();
  LoginView* login() const { return login_.get(); }

  static constexpr std::string_view kTitle = "New password set successfully";
  static constexpr std::string_view kButton = "Go to login";
  static constexpr std::string_view kImage = "tick-circle";

  screenkit::Localization locale;
  std::string_view title() const { return locale.text(kTitle); }
  std::string_view buttonText() const { return locale.text(kButton); }

 private:
  bool sideMenu_ = false;  // the new login screen's own side-menu flag
  std::unique_ptr<LoginView> login_;
};

}  // namespace corvane::screens
