#include "screens/forget_pass_view.h"

#include "api/api_client.h"
#include "screens/set_new_pass_view.h"

namespace corvane::screens {

ForgetPassView::ForgetPassView(screenkit::Services services, std::function<void()> dismiss)
    : ScreenModel(std::move(services)),
      locale(services_.localeIdentifier),
      dismiss_(std::move(dismiss)) {}

ForgetPassView::~ForgetPassView() = default;

void ForgetPassView::resetPassword() {
  showProgress = true;
  txtEmpty = false;
  fail = false;
  changed();
  const std::string sent = registerEmail;
  services_.api.requestPasswordReset(sent, [this, hop = hop(), sent](Result<void> result) {
    if (result) {
      hop.services.log.info("Login successful. User: ok");
      // The new-password step reads the account from here, not from this screen.
      hop.services.preferences.set(keys::pref::username, sent);
    } else {
      hop.services.log.info("Login failed. Error: " + result.error().toString());
    }
    hop([this, ok = result.ok()] {
      if (ok) {
        success = true;
        if (!next_) {
          next_ = std::make_unique<SetNewPassView>(services_);
          next_->addChangeListener([this] { changed(); });
        }
      } else {
        // Unlike the login screen, an empty field shows both messages.
        if (registerEmail.empty()) txtEmpty = true;
        fail = true;
      }
      showProgress = false;
      changed();
    });
  });
}

void ForgetPassView::logIn() {
  if (dismiss_) dismiss_();
}

std::optional<std::string_view> ForgetPassView::fieldError() const {
  if (!txtEmpty) return std::nullopt;
  return locale.text("Invalid credentials, please try again");
}

std::optional<std::string_view> ForgetPassView::failureText() const {
  if (!fail) return std::nullopt;
  return locale.text("You are not register, Please sign up first to reset password!");
}

}  // namespace corvane::screens
