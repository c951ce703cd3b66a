#pragma once
// The main container of a signed-in user: one selection decides which screen fills it, and
// the side menu, laid over it, is the only way to change that selection. Selecting "Log out"
// runs the log-out procedure; "Close" and "LoginSuccess" bring it back to the dashboard.
#include <cstdint>
#include <memory>

#include "platform/notifications/notification_center.h"
#include "screenkit/screen_model.h"
#include "screens/side_menu_view.h"

namespace corvane::tunnel {
class HomeView;
class SettingView;
}

namespace corvane::screens {

class SupportView;
class ConnectDeviceView;
class LoginView;

class MainTabbedView : public screenkit::ScreenModel {
 public:
  static constexpr std::int64_t kDashboard = 6;

  enum class Shown { support, setting, connectDevices, aboutUs, login, dashboard };

  explicit MainTabbedView(screenkit::Services services);
  ~MainTabbedView() override;

  bool presentSideMenu = false;
  bool killswith = false;
  std::int64_t selectedSideMenuTab() const { return selected_; }
  // Changing the selection runs its effects once: the about page opens its link, log-out
  // runs the log-out procedure.
  void setSelectedSideMenuTab(std::int64_t value);
  void setPresentSideMenu(bool value);

  Shown shown() const;
  SideMenuView& sideMenuView() { return sideMenuView_; }
  SideMenu& sideMenu() { return sideMenu_; }

  SupportView* support() const { return support_.get(); }
  ConnectDeviceView* devices() const { return devices_.get(); }
  MainTabbedView* aboutContainer() const { return nested_.get(); }
  LoginView* login() const { return login_.get(); }
  tunnel::HomeView* home() const { return home_.get(); }
  tunnel::SettingView* setting() const { return setting_.get(); }

 private:
  void logOut();
  void openAboutPage();
  void syncChildren();
  screenkit::Binding<bool> sideMenuBinding();

  std::int64_t selected_ = kDashboard;
  SideMenuView sideMenuView_;
  SideMenu sideMenu_;
  std::unique_ptr<SupportView> support_;
  std::unique_ptr<ConnectDeviceView> devices_;
  std::unique_ptr<MainTabbedView> nested_;
  std::unique_ptr<LoginView> login_;
  std::unique_ptr<tunnel::HomeView> home_;
  std::unique_ptr<tunnel::SettingView> setting_;
  platform::ObserverRegistration closeObserver_;
  platform::ObserverRegistration loginObserver_;
};

}  // namespace corvane::screens
