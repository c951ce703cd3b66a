#pragma once
// Placeholder for the dashboard that fills the main container by default. It holds what the
// container and the picker need from it today: the side-menu control, the protocol choice
// it shares with the server picker, and the picker it presents. The dashboard proper (status,
// power button, speeds) replaces this model.
#include <memory>

#include "screenkit/binding.h"
#include "screenkit/screen_model.h"
#include "servers/protocol_selection.h"

namespace corvane::servers {
class ServerListView;
}

namespace corvane::tunnel {

class HomeView : public screenkit::ScreenModel {
 public:
  HomeView(screenkit::Services services, screenkit::Binding<bool> presentSideMenu);
  ~HomeView() override;

  screenkit::Binding<bool> presentSideMenu;
  servers::ProtocolSelection protocols;  // shared with the picker by reference

  void tapMenu() { presentSideMenu.set(!presentSideMenu.get()); changed(); }

  // The last-used-server card: presents the picker; it dismisses itself.
  void openServerList();
  servers::ServerListView* serverList() const { return serverList_.get(); }

 private:
  std::unique_ptr<servers::ServerListView> serverList_;
};

}  // namespace corvane::tunnel
