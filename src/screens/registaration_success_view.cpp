#include "screens/registaration_success_view.h"

namespace corvane::screens {

RegistarationSuccessView::RegistarationSuccessView(screenkit::Services services)
    : ScreenModel(std::move(services)), locale(services_.localeIdentifier) {}

RegistarationSuccessView::~RegistarationSuccessView() = default;

void RegistarationSuccessView::goToLoginTapped() {
  goToLogin = true;
  if (!root_ && services_.makeRoot) {
    root_ = services_.makeRoot(services_);
    root_->addChangeListener([this] { changed(); });
  }
  changed();
}

}  // namespace corvane::screens
