#include "app/content_view.h"

#include "api/api_client.h"
#include "keys/notification_names.h"
#include "screens/login_view.h"
#include "screens/main_tabbed_view.h"

namespace corvane::app {

ContentView::ContentView(screenkit::Services services, platform::Duration enterDelay)
    : ScreenModel(std::move(services)), locale(services_.localeIdentifier), enterDelay_(enterDelay) {
  loginObserver_ = platform::ObserverRegistration(
      services_.notifications,
      services_.notifications.addObserver(std::string(keys::kLoginSuccess), [this] {
        // Only the login branch listens; the login screen stored "loggedIn" before posting,
        // so re-evaluating now moves the root to the main container.
        if (shown_ != Child::login) return;
        showViewSecond = false;
        showViewSecond = true;
        evaluate();
        changed();
      }));
}

ContentView::~ContentView() = default;

void ContentView::appear() {
  splash.appear();
  changed();
  services_.api.fetchLinks([this, hop = hop()](bool mayEnter) {
    hop.services.log.info(mayEnter ? "You can enter the app" : "Do not enter the app");
    hop([this, mayEnter] { enterDecided(mayEnter); });
  });
  services_.api.fetchAnnouncements();
}

void ContentView::enterDecided(bool mayEnter) {
  decision_ = mayEnter;
  if (mayEnter) {
    after(enterDelay_, [this] {
      showSplashView = false;
      showViewSecond = true;
      evaluate();
      changed();
    });
  } else {
    // No retry: the user restarts the app. The box goes, the splash stays.
    failEnterApp = true;
    after(kServerErrorFor, [this] {
      failEnterApp = false;
      changed();
    });
  }
  changed();
}

void ContentView::evaluate() {
  Child next = Child::nothing;
  if (showSplashView) {
    next = Child::splash;
  } else if (showViewSecond) {
    next = services_.preferences.get(keys::pref::loggedIn) ? Child::main : Child::login;
  }
  shown_ = next;
  if (next != Child::login) screenkit::retire(services_.mainLoop, login_);
  if (next != Child::main) screenkit::retire(services_.mainLoop, main_);
  if (next == Child::login && !login_) {
    login_ = std::make_unique<screens::LoginView>(
        services_, "", false, screenkit::Binding<bool>::to(presentSideMenu));
    login_->addChangeListener([this] { changed(); });
  }
  if (next == Child::main && !main_) {
    main_ = std::make_unique<screens::MainTabbedView>(services_);
    main_->addChangeListener([this] { changed(); });
  }
}

}  // namespace corvane::app
