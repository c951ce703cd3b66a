#pragma once
// Shown after a successful sign-up. Its one button starts the app over from a fresh root,
// which (sign-up leaves "loggedIn" off) leads to the login screen.
#include <memory>

#include "screens/localization.h"
#include "screens/screen_model.h"

namespace corvane::app {
class ContentView;
}

namespace corvane::screens {

class RegistarationSuccessView : public ScreenModel {
 public:
  explicit RegistarationSuccessView(app::Services services);
  ~RegistarationSuccessView() override;

  bool goToLogin = false;

  void goToLoginTapped();
  // The fresh root pushed once goToLogin is true.
  app::ContentView* root() const { return root_.get(); }

  static constexpr std::string_view kTitle = "Registration Successful";
  static constexpr std::string_view kButton = "Go to login";
  static constexpr std::string_view kImage = "tick-circle";

 private:
  std::unique_ptr<app::ContentView> root_;
};

}  // namespace corvane::screens
