#include "screens/login_view.h"

#include "api/api_client.h"
#include "keys/notification_names.h"
#include "screens/forget_pass_view.h"
#include "screens/record_descriptions.h"
#include "screens/sign_up_view.h"

namespace corvane::screens {

LoginView::LoginView(screenkit::Services services, std::string passwordText, bool visibleFlag,
                     screenkit::Binding<bool> sideMenu)
    : ScreenModel(std::move(services)),
      password(std::move(passwordText)),
      visible(visibleFlag),
      presentSideMenu(std::move(sideMenu)),
      locale(services_.localeIdentifier) {}

LoginView::~LoginView() = default;

void LoginView::appear() {
  auto& prefs = services_.preferences;
  announcementTwo = prefs.get(keys::pref::announcementTwo).value_or("");
  // Log-out keeps the credentials, so the form comes back with the last account filled in.
  if (email.empty()) email = prefs.get(keys::pref::username).value_or("");
  if (password.empty()) password = prefs.get(keys::pref::password).value_or("");
  changed();
}

void LoginView::toggleVisible() {
  visible = !visible;
  changed();
}

void LoginView::login() {
  showProgress = true;
  fail = emailEmpty = passEmpty = false;
  changed();
  const std::string sentEmail = email;
  const std::string sentPassword = password;
  services_.api.login(sentEmail, sentPassword,
                      [this, hop = hop(), sentEmail, sentPassword](Result<api::User> result) {
    if (result) {
      // Stored from the loader's queue before "LoginSuccess" is posted: its observers read
      // "loggedIn" and must see true.
      auto& prefs = hop.services.preferences;
      prefs.set(keys::pref::loggedIn, true);
      prefs.set(keys::pref::username, sentEmail);
      prefs.set(keys::pref::password, sentPassword);
      if (hop.services.groupPreferences != nullptr) {
        hop.services.groupPreferences->set(keys::pref::username, sentEmail);
        hop.services.groupPreferences->set(keys::pref::password, sentPassword);
      }
      hop.services.log.info("Login successful. User: " + describe(*result));
      // "loggedIn" is stored now, so the root must follow even when this screen was taken
      // away before the answer; posted last, since an observer may take this screen away.
      hop(
          [this] {
            showProgress = false;
            changed();
          },
          [&notifications = hop.services.notifications] { notifications.post(keys::kLoginSuccess); });
    } else {
      hop.services.log.info("Login failed. Error: " + result.error().toString());
      hop([this] {
        // The emptiness tests use the fields as they stand when the completion runs.
        fail = true;
        if (email.empty()) {
          emailEmpty = true;
          fail = false;
        }
        if (password.empty()) {
          passEmpty = true;
          fail = false;
        }
        showProgress = false;
        changed();
        services_.notifications.post(keys::kLoginFailed);
      });
    }
  });
}

void LoginView::openSignUp() {
  screenkit::retire(services_.mainLoop, forgetPass_);
  screenkit::retire(services_.mainLoop, signUp_);
  signUp_ = std::make_unique<SignUPView>(services_, [this] { popLink(); });
  signUp_->addChangeListener([this] { changed(); });
  link_ = Link::signUp;
  changed();
}

void LoginView::openForgetPassword() {
  screenkit::retire(services_.mainLoop, signUp_);
  screenkit::retire(services_.mainLoop, forgetPass_);
  forgetPass_ = std::make_unique<ForgetPassView>(services_, [this] { popLink(); });
  forgetPass_->addChangeListener([this] { changed(); });
  link_ = Link::forgetPassword;
  changed();
}

void LoginView::popLink() {
  link_ = Link::none;
  screenkit::retire(services_.mainLoop, signUp_);
  screenkit::retire(services_.mainLoop, forgetPass_);
  changed();
}

std::optional<std::string_view> LoginView::emailError() const {
  if (!emailEmpty) return std::nullopt;
  return locale.text("Invalid credentials, please try again");
}

std::optional<std::string_view> LoginView::passwordError() const {
  if (!passEmpty) return std::nullopt;
  return locale.text("Invalid credentials, please try again");
}

std::optional<std::string_view> LoginView::failureText() const {
  if (!fail) return std::nullopt;
  return locale.text("User not found!");
}

}  // namespace corvane::screens
