// Sign-up and the registration-success screen it pushes.
#include "app/content_view.h"
#include "screenkit/oops_alert.h"
#include "screens/registaration_success_view.h"
#include "screens/sign_up_view.h"
#include "ui/bindings/binding_support.h"
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
  a->addInput("password", [&m] { return qs(m.password); },
              [&m](const QVariant& v) { m.password = text(v); });
  a->addInput("rePassword", [&m] { return qs(m.rePassword); },
              [&m](const QVariant& v) { m.rePassword = text(v); });
  a->addInput("email", [&m] { return qs(m.email); }, [&m](const QVariant& v) { m.email = text(v); });
  a->addField("visible", [&m] { return m.visible; });
  a->addField("visible2", [&m] { return m.visible2; });
  a->addField("passwordIcon", [&m] { return qs(m.passwordIcon()); });
  a->addField("rePasswordIcon", [&m] { return qs(m.rePasswordIcon()); });
  a->addField("checkBoxImage", [&m] { return qs(m.checkBoxImage()); });
  a->addField("toggle", [&m] { return m.toggle; });
  a->addField("showProgress", [&m] { return m.showProgress; });
  a->addField("notice", [&m] {
    if (m.showAlertPass()) return localised(m.locale, "Password Does Not Match!");
    if (m.showToggleAlert()) return localised(m.locale, "Agree Privacy Policy");
    return QString();
  });
  a->addField("fail", [&m] { return m.fail; });
  a->addField("alertTitle", [&l] { return localised(l, screenkit::OopsAlert::title); });
  a->addField("alertButton", [&l] { return localised(l, screenkit::OopsAlert::button); });
  a->addField("alertMessage", [&m] { return qs(m.alertMessage()); });
  a->addAction("toggleVisible", [&m](const QVariantList&) { m.toggleVisible(); });
  a->addAction("toggleVisible2", [&m](const QVariantList&) { m.toggleVisible2(); });
  a->addAction("togglePrivacy", [&m](const QVariantList&) { m.togglePrivacy(); });
  a->addAction("register", [&m](const QVariantList&) { m.registerAccount(); });
  a->addAction("logIn", [&m](const QVariantList&) { m.logIn(); });
  a->addAction("closeAlert", [&m](const QVariantList&) { m.closeAlert(); });
  a->addChild("success", [&m] { return static_cast<const void*>(m.registrationSuccess()); },
              [&m] { return bindRegistrationSuccess(*m.registrationSuccess()); });
  follow(*a, m);
  return a;
}

std::unique_ptr<ModelAdapter> bindRegistrationSuccess(screens::RegistarationSuccessView& m) {
  using View = screens::RegistarationSuccessView;
  auto a = std::make_unique<ModelAdapter>();
  // This screen has no locale of its own; the fresh root it leads to uses the same one.
  auto locale = std::make_shared<screenkit::Localization>(screenkit::Localization::fromEnvironment());
  a->addField("image", [] { return qs(View::kImage); });
  a->addField("title", [locale] { return localised(*locale, View::kTitle); });
  a->addField("buttonText", [locale] { return localised(*locale, View::kButton); });
  a->addAction("goToLogin", [&m](const QVariantList&) { m.goToLoginTapped(); });
  a->addChild("root", [&m] { return static_cast<const void*>(m.root()); },
              [&m] { return bindRoot(static_cast<app::ContentView&>(*m.root())); });
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
