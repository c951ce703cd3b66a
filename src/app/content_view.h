#pragma once
// The root of the window: the start-up gate and the choice between the login screen and the
// main container. The splash stays until the link table has arrived; 2.0 s later the root
// shows the main container when "loggedIn" is set, otherwise the login screen. Without a
// link table it shows "Server Error" for 2.5 s and stays on the splash.
#include <memory>

#include "app/splash_screen.h"
#include "platform/notifications/notification_center.h"
#include "screenkit/localization.h"
#include "screenkit/screen_model.h"

namespace corvane::screens {
class LoginView;
class MainTabbedView;
}  // namespace corvane::screens

namespace corvane::app {

class ContentView : public screenkit::ScreenModel {
 public:
  enum class Child { splash, nothing, login, main };

  static constexpr platform::Duration kEnterDelay = platform::seconds(2.0);
  static constexpr platform::Duration kServerErrorFor = platform::seconds(2.5);

  // `enterDelay` is how long the splash stays after the link table: its animation's time
  // for a window; a front with no splash to draw (the command line) passes zero. Nothing the
  // gate stores waits for it.
  explicit ContentView(screenkit::Services services, platform::Duration enterDelay = kEnterDelay);
  ~ContentView() override;

  bool showSplashView = true;
  bool showViewSecond = false;
  bool presentSideMenu = false;
  bool failEnterApp = false;
  SplashScreen splash;
  screenkit::Localization locale;
  // The box shown while entering failed.
  static constexpr screenkit::NamedText kTexts[] = {{"serverErrorText", "Server Error"}};

  // The splash group appeared: fetch the link table, then (without waiting) announcements.
  void appear();

  // What the root shows, as of its last evaluation ("loggedIn" is read then, not live).
  Child shown() const { return shown_; }
  // The enter decision, once made: true when the app may be entered.
  std::optional<bool> enterDecision() const { return decision_; }
  screens::LoginView* login() const { return login_.get(); }
  screens::MainTabbedView* main() const { return main_.get(); }

 private:
  void enterDecided(bool mayEnter);
  void evaluate();

  platform::Duration enterDelay_;
  Child shown_ = Child::splash;
  std::optional<bool> decision_;
  std::unique_ptr<screens::LoginView> login_;
  std::unique_ptr<screens::MainTabbedView> main_;
  platform::ObserverRegistration loginObserver_;
};

}  // namespace corvane::app
