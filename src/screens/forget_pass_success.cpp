#include "screens/forget_pass_success.h"

#include "screens/login_view.h"

namespace corvane::screens {

ForgetPassSuccess::ForgetPassSuccess(screenkit::Services services)
    : ScreenModel(std::move(services)), locale(services_.localeIdentifier) {}

ForgetPassSuccess::~ForgetPassSuccess() = default;

void ForgetPassSuccess::goToLoginTapped() {
  goToLogin = true;
  if (!login_) {
    login_ = std::make_unique<LoginView>(services_, "", false, screenkit::Binding<bool>::to(sideMenu_));
    login_->addChangeListener([this] { changed(); });
  }
  changed();
}

}  // namespace corvane::screens
