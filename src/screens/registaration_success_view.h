#pragma once
// Shown after a successful sign-up. Its one button starts the app over from a fresh root,
// which (sign-up leaves "loggedIn" off) leads to the login screen. The root is built by the
// factory the root handed down (Services::makeRoot), so this screen never names it.
#include <memory>

#include "screenkit/localization.h"
#include "screenkit/screen_model.h"

namespace corvane::screens {

class RegistarationSuccessView : public screenkit::ScreenModel {
 public:
  explicit RegistarationSuccessView(screenkit::Services services);
  ~RegistarationSuccessView() override;

  bool goToLogin = false;

  void goToLoginTapped();
  // The fresh root pushed once goToLogin is true.
  screenkit::ScreenModel* root() const { return root_.get(); }

  static constexpr std::string_view kTitle = "Registration Successful";
  static constexpr std::string_view kButton = "Go to login";
  static constexpr std::string_view kImage = "tick-circle";

  screenkit::Localization locale;
  std::string_view title() const { return locale.text(kTitle); }
  std::string_view buttonText() const { return locale.text(kButton); }

 private:
  std::unique_ptr<screenkit::ScreenModel> root_;
};

}  // namespace corvane::screens
