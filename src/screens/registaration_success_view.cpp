#include "screens/registaration_success_view.h"

#include "app/content_view.h"

namespace corvane::screens {

RegistarationSuccessView::RegistarationSuccessView(app::Services services)
    : ScreenModel(std::move(services)) {}

RegistarationSuccessView::~RegistarationSuccessView() = default;

void RegistarationSuccessView::goToLoginTapped() {
  goToLogin = true;
  if (!root_) {
    root_ = std::make_unique<app::ContentView>(services_);
    root_->addChangeListener([this] { changed(); });
  }
  changed();
}

}  // namespace corvane::screens
