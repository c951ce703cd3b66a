#pragma once
// The dashboard that fills the main container: the side-menu control, the protocol choice
// it shares with the server picker and the picker it presents, and, over the tunnel core,
// the profile it keeps (ProfileBuilder), the power button (ConnectButton) and the status
// rows (DashboardStatus). Without a tunnel core (it could not be opened) only the first part
// exists and the tunnel parts are null.
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/notifications/notification_center.h"
#include "screenkit/binding.h"
#include "screenkit/localization.h"
#include "screenkit/screen_model.h"
#include "servers/protocol_selection.h"
#include "tunnel/connect_button.h"
#include "tunnel/dashboard_rows.h"

namespace corvane::servers {
class ServerListView;
}

namespace corvane::tunnel {

class DashboardStatus;
class ProfileBuilder;

class HomeView : public screenkit::ScreenModel {
 public:
  // The main container creates its dashboard with this profile id, read-only.
  static constexpr std::int64_t kProfileID = 1234;

  HomeView(screenkit::Services services, screenkit::Binding<bool> presentSideMenu);
  ~HomeView() override;

  screenkit::Binding<bool> presentSideMenu;
  screenkit::Localization locale;
  servers::ProtocolSelection protocols;  // shared with the picker by reference
  // The "Connect Failed!" alert ("Please Select a Server to Connect VPN"), and the flag its
  // "OK" sets to push the picker.
  bool selectServerAlert = false;
  bool goToServerPage = false;

  void tapMenu() { presentSideMenu.set(!presentSideMenu.get()); changed(); }

  // The last-used-server card: presents the picker; it dismisses itself.
  void openServerList();
  servers::ServerListView* serverList() const { return serverList_.get(); }

  // What showing the dashboard starts: the profile work, the status rows, the speeds.
  void onShown();
  void onHidden();
  // The window became active (true) or went to the background: the speeds follow it.
  void scenePhaseActive(bool active);
  void pressPower();
  void alertOK();
  void alertCancel();

  // The screen's fixed texts in the user's language.
  struct Labels {
    std::string_view menu, lastUsedServer, protocol, address, speed, server;
    std::string_view alertTitle, alertMessage, ok, cancel;
  };
  Labels labels() const;
  // The rows as the screen draws them: the fixed texts among them in the user's language,
  // stored data as it is. None without a tunnel core.
  std::optional<DashboardRows> shownRows() const;
  // The power button's look, its label in the user's language. None without a tunnel core.
  std::optional<ConnectButton::Look> shownLook() const;

  ProfileBuilder* profileBuilder() const { return builder_.get(); }
  ConnectButton* connectButton() const { return button_.get(); }
  DashboardStatus* dashboard() const { return status_.get(); }

 private:
  std::unique_ptr<servers::ServerListView> serverList_;
  std::unique_ptr<ProfileBuilder> builder_;
  std::unique_ptr<ConnectButton> button_;
  std::unique_ptr<DashboardStatus> status_;
  platform::ObserverRegistration serverAlert_;
};

}  // namespace corvane::tunnel
