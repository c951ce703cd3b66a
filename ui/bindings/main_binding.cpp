// The main container, its side menu and the screens it holds.
#include <QVariantMap>

#include "screens/connect_device_view.h"
#include "tunnel/home_view.h"
#include "tunnel/setting_view.h"
#include "screens/login_view.h"
#include "screens/main_tabbed_view.h"
#include "screens/side_menu_row_type.h"
#include "screens/support_view.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/screen_bindings.h"

namespace corvane::ui {

namespace {

QString shownName(screens::MainTabbedView::Shown shown) {
  using Shown = screens::MainTabbedView::Shown;
  switch (shown) {
    case Shown::support: return QStringLiteral("support");
    case Shown::setting: return QStringLiteral("setting");
    case Shown::connectDevices: return QStringLiteral("devices");
    case Shown::aboutUs: return QStringLiteral("about");
    case Shown::login: return QStringLiteral("login");
    case Shown::dashboard: return QStringLiteral("dashboard");
  }
  return {};
}

QVariantList menuRows(const screenkit::Localization& locale) {
  QVariantList rows;
  for (screens::SideMenuRowType row : screens::kAllSideMenuRows) {
    rows.push_back(QVariantMap{{"value", static_cast<qlonglong>(row)},
                               {"title", localised(locale, screens::title(row))},
                               {"icon", qs(screens::iconName(row))}});
  }
  return rows;
}

}  // namespace

std::unique_ptr<ModelAdapter> bindMain(screens::MainTabbedView& m) {
  auto a = std::make_unique<ModelAdapter>();
  auto& menu = m.sideMenuView();
  a->addField("shown", [&m] { return shownName(m.shown()); });
  a->addField("presentSideMenu", [&m] { return m.presentSideMenu; });
  addTexts(*a, menu.locale, screens::SideMenuView::kTexts);
  a->addField("userName", [&menu] { return qs(menu.userName()); });
  a->addField("menuRows", [&menu] { return menuRows(menu.locale); });
  a->addField("selectedSideMenuTab", [&m] { return static_cast<qlonglong>(m.selectedSideMenuTab()); });
  a->addAction("tapRow", [&menu](const QVariantList& args) {
    if (args.isEmpty()) return;
    if (auto row = screens::sideMenuRow(args.front().toLongLong())) menu.tapRow(*row);
  });
  a->addAction("closeMenu", [&menu](const QVariantList&) { menu.tapClose(); });
  a->addAction("tapDimmedArea", [&m](const QVariantList&) { m.sideMenu().tapDimmedArea(); });
  a->addChild("home", [&m] { return static_cast<const void*>(m.home()); },
              [&m] { return bindHome(*m.home()); });
  a->addChild("setting", [&m] { return static_cast<const void*>(m.setting()); },
              [&m] { return bindSetting(*m.setting()); });
  a->addChild("support", [&m] { return static_cast<const void*>(m.support()); },
              [&m] { return bindSupport(*m.support()); });
  a->addChild("devices", [&m] { return static_cast<const void*>(m.devices()); },
              [&m] { return bindDevices(*m.devices()); });
  a->addChild("login", [&m] { return static_cast<const void*>(m.login()); },
              [&m] { return bindLogin(*m.login()); });
  a->addChild("about", [&m] { return static_cast<const void*>(m.aboutContainer()); },
              [&m] { return bindMain(*m.aboutContainer()); });
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
