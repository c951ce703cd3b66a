#pragma once
// The wiring that the account forms share, written once: the two password fields with
// their eye toggles (sign-up and the new password), the one-second "do not match" notice,
// the progress flag, the stored-message "Oops!" alert, and the success screens that end a
// form (an image, a title and "Go to login").
#include "screenkit/oops_alert.h"
#include "ui/bindings/binding_support.h"

namespace corvane::ui {

// "password" and "rePassword" as inputs, their visibility flags, eye icons and toggles.
template <typename Model>
void addPasswordPair(ModelAdapter& a, Model& m) {
  a.addInput("password", [&m] { return qs(m.password); }, [&m](const QVariant& v) { m.setPassword(text(v)); });
  a.addInput("rePassword", [&m] { return qs(m.rePassword); }, [&m](const QVariant& v) { m.setRePassword(text(v)); });
  a.addField("visible", [&m] { return m.visible; });
  a.addField("visible2", [&m] { return m.visible2; });
  a.addField("passwordIcon", [&m] { return qs(m.passwordIcon()); });
  a.addField("rePasswordIcon", [&m] { return qs(m.rePasswordIcon()); });
  a.addAction("toggleVisible", [&m](const QVariantList&) { m.toggleVisible(); });
  a.addAction("toggleVisible2", [&m](const QVariantList&) { m.toggleVisible2(); });
}

// The progress flag and the "Oops!" alert over the model's stored message.
template <typename Model>
void addProgressAndOops(ModelAdapter& a, Model& m) {
  const auto& l = m.locale;
  a.addField("showProgress", [&m] { return m.showProgress; });
  a.addField("fail", [&m] { return m.fail; });
  a.addField("alertTitle", [&l] { return localised(l, screenkit::OopsAlert::title); });
  a.addField("alertButton", [&l] { return localised(l, screenkit::OopsAlert::button); });
  a.addField("alertMessage", [&m] { return qs(m.alertMessage()); });
  a.addAction("closeAlert", [&m](const QVariantList&) { m.closeAlert(); });
}

// A success screen: its image, title and button, and the tap that leads on.
template <typename Model>
void addSuccessScreen(ModelAdapter& a, Model& m) {
  a.addField("image", [] { return qs(Model::kImage); });
  a.addField("title", [&m] { return qs(m.title()); });
  a.addField("buttonText", [&m] { return qs(m.buttonText()); });
  a.addAction("goToLogin", [&m](const QVariantList&) { m.goToLoginTapped(); });
}

}  // namespace corvane::ui
