// Password recovery: the e-mail step, the new-password step and the confirmation.
#include "screens/forget_pass_success.h"
#include "screens/forget_pass_view.h"
#include "screens/login_view.h"
#include "screens/set_new_pass_view.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/form_bindings.h"
#include "ui/bindings/screen_bindings.h"

namespace corvane::ui {

std::unique_ptr<ModelAdapter> bindForgetPass(screens::ForgetPassView& m) {
  auto a = std::make_unique<ModelAdapter>();
  addTexts(*a, m.locale, screens::ForgetPassView::kTexts);
  a->addField("logInUnderline", [&m] { return m.logInUnderline(); });
  a->addInput("registerEmail", [&m] { return qs(m.registerEmail); },
              [&m](const QVariant& v) { m.setRegisterEmail(text(v)); });
  a->addField("showProgress", [&m] { return m.showProgress; });
  a->addField("fieldError", [&m] { return localisedIf(m.locale, m.fieldError()); });
  a->addField("failureText", [&m] { return localisedIf(m.locale, m.failureText()); });
  a->addAction("resetPassword", [&m](const QVariantList&) { m.resetPassword(); });
  a->addAction("logIn", [&m](const QVariantList&) { m.logIn(); });
  a->addChild("next", [&m] { return static_cast<const void*>(m.setNewPass()); },
              [&m] { return bindSetNewPass(*m.setNewPass()); });
  follow(*a, m);
  return a;
}

std::unique_ptr<ModelAdapter> bindSetNewPass(screens::SetNewPassView& m) {
  auto a = std::make_unique<ModelAdapter>();
  addTexts(*a, m.locale, screens::SetNewPassView::kTexts);
  addPasswordPair(*a, m);
  addProgressAndOops(*a, m);
  a->addField("notice", [&m] { return qs(m.notice()); });
  a->addAction("save", [&m](const QVariantList&) { m.saveNewPassword(); });
  a->addChild("next", [&m] { return static_cast<const void*>(m.successScreen()); },
              [&m] { return bindForgetPassSuccess(*m.successScreen()); });
  follow(*a, m);
  return a;
}

std::unique_ptr<ModelAdapter> bindForgetPassSuccess(screens::ForgetPassSuccess& m) {
  auto a = std::make_unique<ModelAdapter>();
  addSuccessScreen(*a, m);
  a->addChild("login", [&m] { return static_cast<const void*>(m.login()); },
              [&m] { return bindLogin(*m.login()); });
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
