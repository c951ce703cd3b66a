#include "screens/sign_up_view.h"

#include "api/api_client.h"
#include "screenkit/oops_alert.h"
#include "screens/registaration_success_view.h"

namespace corvane::screens {

SignUPView::SignUPView(screenkit::Services services, std::function<void()> dismiss)
    : ScreenModel(std::move(services)),
      locale(services_.localeIdentifier),
      dismiss_(std::move(dismiss)),
      passNotice_(services_.mainLoop, [this] { changed(); }),
      toggleNotice_(services_.mainLoop, [this] { changed(); }) {}

SignUPView::~SignUPView() = default;

void SignUPView::toggleVisible() {
  visible = !visible;
  changed();
}

void SignUPView::toggleVisible2() {
  visible2 = !visible2;
  changed();
}

void SignUPView::togglePrivacy() {
  toggle = !toggle;
  changed();
}

void SignUPView::registerAccount() {
  // Passwords first: with both wrong, only the password notice shows.
  if (password != rePassword) {
    passNotice_.raise();
    changed();
    return;
  }
  if (!toggle) {
    toggleNotice_.raise();
    changed();
    return;
  }
  showProgress = true;
  changed();
  const std::string sentUsername = username;
  const std::string sentPassword = password;
  services_.api.signUp(username, password, rePassword, email,
                       [this, hop = hop(), sentUsername, sentPassword](Result<void> result) {
    if (result) {
      hop.services.log.info("signUp successful. User: ok");
      // The login form offers the new account next time it comes into view.
      hop.services.preferences.set(keys::pref::username, sentUsername);
      hop.services.preferences.set(keys::pref::password, sentPassword);
      hop([this] {
        showProgress = false;
        goToEmailVerification = true;
        success_ = std::make_unique<RegistarationSuccessView>(services_);
        success_->addChangeListener([this] { changed(); });
        changed();
      });
    } else {
      hop.services.log.info("signUp failed. Error: " + result.error().toString());
      hop([this] {
        showProgress = false;
        fail = true;
        changed();
      });
    }
  });
}

void SignUPView::logIn() {
  if (dismiss_) dismiss_();
}

void SignUPView::closeAlert() {
  fail = false;
  changed();
}

std::string SignUPView::alertMessage() const {
  return screenkit::oopsMessage(services_.preferences.get(keys::pref::signupmsg));
}

}  // namespace corvane::screens
