// Sign-up and the registration-success screen it pushes.
#include "app/content_view.h"
#include "screens/registaration_success_view.h"
#include "screens/sign_up_view.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/form_bindings.h"
#include "ui/bindings/screen_bindings.h"

namespace corvane::ui {

std::unique_ptr<ModelAdapter> bindSignUp(screens::SignUPView& m) {
  auto a = std::make_unique<ModelAdapter>();
  const auto& l = m.locale;
  a->addField("title", [&l] { return localised(l, "Create your account"); });
  a->addField("haveAccountText", [&l] { return localised(l, "Already have an account?"); });
  a->addField("logInText", [&l] { return localised(l, "Log In"); });
  a->addField("usernameCaption", [&l] { return localised(l, "Username"); });
  a->addField("usernamePlaceholder", [&l] { return localised(l, "Email/Username"); });
  a->addField("passwordCaption", [&l] { return localised(l, "Password"); });
  a->addField("rePasswordCaption", [&l] { return localised(l, "Retype-password"); });
  a->addField("emailCaption", [&l] { return localised(l, "Email address"); });
  a->addField("placeholder", [&l] { return localised(l, "| Type"); });
  a->addField("smallPrint", [&l] {
    return localised(l, "*The email is the only credential for password\nrecovery, please fill it out carefully.");
  });
  a->addField("acceptText", [&l] { return localised(l, "Accept all"); });
  a->addField("privacyText", [&l] { return localised(l, "Privacy Policy"); });
  a->addField("privacyUnderline", [&m] { return m.privacyUnderline(); });
  a->addField("registerText", [&l] { return localised(l, "Register"); });
  a->addInput("username", [&m] { return qs(m.username); },
              [&m](const QVariant& v) { m.username = text(v); });
  addPasswordPair(*a, m);
  addProgressAndOops(*a, m);
  a->addInput("email", [&m] { return qs(m.email); }, [&m](const QVariant& v) { m.email = text(v); });
  a->addField("checkBoxImage", [&m] { return qs(m.checkBoxImage()); });
  a->addField("toggle", [&m] { return m.toggle; });
  a->addField("notice", [&m] {
    if (m.showAlertPass()) return localised(m.locale, "Password Does Not Match!");
    if (m.showToggleAlert()) return localised(m.locale, "Agree Privacy Policy");
    return QString();
  });
  a->addAction("togglePrivacy", [&m](const QVariantList&) { m.togglePrivacy(); });
  a->addAction("register", [&m](const QVariantList&) { m.registerAccount(); });
  a->addAction("logIn", [&m](const QVariantList&) { m.logIn(); });
  a->addChild("success", [&m] { return static_cast<const void*>(m.registrationSuccess()); },
              [&m] { return bindRegistrationSuccess(*m.registrationSuccess()); });
  follow(*a, m);
  return a;
}

std::unique_ptr<ModelAdapter> bindRegistrationSuccess(screens::RegistarationSuccessView& m) {
  auto a = std::make_unique<ModelAdapter>();
  addSuccessScreen(*a, m);
  a->addChild("root", [&m] { return static_cast<const void*>(m.root()); },
              [&m] { return bindRoot(static_cast<app::ContentView&>(*m.root())); });
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
