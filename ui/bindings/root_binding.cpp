// The root: splash (with its animation's end state and the "Server Error" box), then the
// login screen or the main container.
#include "app/content_view.h"
#include "screens/login_view.h"
#include "screens/main_tabbed_view.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/screen_bindings.h"

namespace corvane::ui {

namespace {

QString shownName(app::ContentView::Child child) {
  switch (child) {
    case app::ContentView::Child::splash: return QStringLiteral("splash");
    case app::ContentView::Child::nothing: return QStringLiteral("nothing");
    case app::ContentView::Child::login: return QStringLiteral("login");
    case app::ContentView::Child::main: return QStringLiteral("main");
  }
  return {};
}

}  // namespace

std::unique_ptr<ModelAdapter> bindRoot(app::ContentView& m) {
  auto a = std::make_unique<ModelAdapter>();
  a->addField("shown", [&m] { return shownName(m.shown()); });
  a->addField("failEnterApp", [&m] { return m.failEnterApp; });
  addTexts(*a, m.locale, app::ContentView::kTexts);
  a->addField("isLogoHidden", [&m] { return m.splash.isLogoHidden; });
  a->addField("logoOffset", [&m] { return m.splash.logoOffset(); });
  a->addField("logoOpacity", [&m] { return m.splash.logoOpacity(); });
  a->addField("logoTextOpacity", [&m] { return m.splash.logoTextOpacity(); });
  a->addField("animationDelayMs", [] { return app::SplashScreen::kAnimationDelay * 1000; });
  a->addField("animationDurationMs", [] { return app::SplashScreen::kAnimationDuration * 1000; });
  a->addAction("appear", [&m](const QVariantList&) { m.appear(); });
  a->addChild("login", [&m] { return static_cast<const void*>(m.login()); },
              [&m] { return bindLogin(*m.login()); });
  a->addChild("main", [&m] { return static_cast<const void*>(m.main()); },
              [&m] { return bindMain(*m.main()); });
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
