// The login screen, with the sign-up and forgotten-password screens on its own stack.
#include "screens/forget_pass_view.h"
#include "screens/login_view.h"
#include "screens/sign_up_view.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/screen_bindings.h"

namespace corvane::ui {

std::unique_ptr<ModelAdapter> bindLogin(screens::LoginView& m) {
  auto a = std::make_unique<ModelAdapter>();
  addTexts(*a, m.locale, screens::LoginView::kTexts);
  a->addField("announcementTwo", [&m] { return qs(m.announcementTwo); });
  a->addField("registerUnderline", [&m] { return m.registerUnderline(); });
  a->addField("forgetUnderline", [&m] { return m.forgetUnderline(); });
  a->addInput("email", [&m] { return qs(m.email); }, [&m](const QVariant& v) { m.setEmail(text(v)); });
  a->addInput("password", [&m] { return qs(m.password); },
              [&m](const QVariant& v) { m.setPassword(text(v)); });
  a->addField("visible", [&m] { return m.visible; });
  a->addField("passwordIcon", [&m] { return qs(m.passwordIcon()); });
  a->addField("showProgress", [&m] { return m.showProgress; });
  a->addField("emailError", [&m] { return localisedIf(m.locale, m.emailError()); });
  a->addField("passwordError", [&m] { return localisedIf(m.locale, m.passwordError()); });
  a->addField("failureText", [&m] { return localisedIf(m.locale, m.failureText()); });
  a->addAction("appear", [&m](const QVariantList&) { m.appear(); });
  a->addAction("toggleVisible", [&m](const QVariantList&) { m.toggleVisible(); });
  a->addAction("login", [&m](const QVariantList&) { m.login(); });
  a->addAction("openSignUp", [&m](const QVariantList&) { m.openSignUp(); });
  a->addAction("openForgetPassword", [&m](const QVariantList&) { m.openForgetPassword(); });
  a->addChild("signUp", [&m] { return static_cast<const void*>(m.signUp()); },
              [&m] { return bindSignUp(*m.signUp()); });
  a->addChild("forgetPass", [&m] { return static_cast<const void*>(m.forgetPass()); },
              [&m] { return bindForgetPass(*m.forgetPass()); });
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
