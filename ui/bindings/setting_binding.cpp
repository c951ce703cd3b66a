// The kill-switch screen: one switch with its title and subtitle, and the close control.
#include "tunnel/setting_view.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/screen_bindings.h"

namespace corvane::ui {

std::unique_ptr<ModelAdapter> bindSetting(tunnel::SettingView& m) {
  using View = tunnel::SettingView;
  auto a = std::make_unique<ModelAdapter>();
  a->addField("title", [&m] { return qs(m.title()); });
  a->addField("barTitle", [&m] { return qs(m.barTitle()); });
  a->addField("subtitle", [&m] { return qs(m.subtitle()); });
  a->addField("switchImage", [] { return qs(View::kSwitchImage); });
  a->addField("on", [&m] { return m.killswith.get(); });
  a->addField("saving", [&m] { return m.saving; });
  a->addAction("tapSwitch", [&m](const QVariantList&) { m.tapSwitch(); });
  a->addAction("close", [&m](const QVariantList&) { m.close(); });
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
