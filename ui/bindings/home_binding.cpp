// The dashboard as far as its model goes today: the menu control and the card that opens
// the server picker.
#include "tunnel/home_view.h"
#include "servers/server_list_view.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/screen_bindings.h"

namespace corvane::ui {

std::unique_ptr<ModelAdapter> bindHome(tunnel::HomeView& m) {
  auto a = std::make_unique<ModelAdapter>();
  auto locale = std::make_shared<screenkit::Localization>(screenkit::Localization::fromEnvironment());
  a->addField("menuText", [locale] { return localised(*locale, "Menu"); });
  a->addField("lastUsedServerText", [locale] { return localised(*locale, "Last used server"); });
  a->addAction("tapMenu", [&m](const QVariantList&) { m.tapMenu(); });
  a->addAction("openServerList", [&m](const QVariantList&) { m.openServerList(); });
  a->addChild("serverList", [&m] { return static_cast<const void*>(m.serverList()); },
              [&m] { return bindServerList(*m.serverList()); });
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
