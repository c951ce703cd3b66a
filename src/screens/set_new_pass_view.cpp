#include "screens/set_new_pass_view.h"

#include "api/api_client.h"
#include "screens/forget_pass_success.h"
#include "screenkit/oops_alert.h"

namespace corvane::screens {

SetNewPassView::SetNewPassView(screenkit::Services services)
    : ScreenModel(std::move(services)),
      locale(services_.localeIdentifier),
      passNotice_(services_.mainLoop, [this] { changed(); }) {}

SetNewPassView::~SetNewPassView() = default;

void SetNewPassView::toggleVisible() {
  visible = !visible;
  changed();
}

void SetNewPassView::toggleVisible2() {
  visible2 = !visible2;
  changed();
}

void SetNewPassView::saveNewPassword() {
  if (password != rePassword) {
    passNotice_.raise();
    changed();
    return;
  }
  const std::string username = services_.preferences.get(keys::pref::username).value_or("");
  const std::string code = services_.preferences.get(keys::pref::otpValue).value_or("");
  showProgress = true;
  changed();
  services_.api.resetPassword(username, code, password, rePassword, [this, hop = hop()](Result<void> result) {
    if (result) {
      hop.services.log.info("Login successful. User: ok");
    } else {
      hop.services.log.info("Login failed. Error: " + result.error().toString());
    }
    hop([this, ok = result.ok()] {
      if (ok) {
        success = true;
        if (!next_) {
          next_ = std::make_unique<ForgetPassSuccess>(services_);
          next_->addChangeListener([this] { changed(); });
        }
      } else {
        fail = true;
      }
      showProgress = false;
      changed();
    });
  });
}

void SetNewPassView::closeAlert() {
  fail = false;
  changed();
}

std::string SetNewPassView::alertMessage() const {
  return screenkit::oopsMessage(services_.preferences.get(keys::pref::resetpasswordmsg));
}

}  // namespace corvane::screens
