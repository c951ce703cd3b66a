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
  addTexts(*a, m.locale, screens::SignUPView::kTexts);
  a->addField("privacyUnderline", [&m] { return m.privacyUnderline(); });
  a->addInput("username", [&m] { return qs(m.username); },
              [&m](const QVariant& v) { m.setUsername(text(v)); });
  addPasswordPair(*a, m);
  addProgressAndOops(*a, m);
  a->addInput("email", [&m] { return qs(m.email); }, [&m](const QVariant& v) { m.setEmail(text(v)); });
  a->addField("checkBoxImage", [&m] { return qs(m.checkBoxImage()); });
  a->addField("toggle", [&m] { return m.toggle; });
  a->addField("notice", [&m] { return qs(m.notice()); });
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
