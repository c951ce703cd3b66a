#include "tunnel/home_view.h"

#include "keys/notification_names.h"
#include "servers/server_list_view.h"
#include "tunnel/connect_button.h"
#include "tunnel/dashboard_status.h"
#include "tunnel/profile_builder.h"

namespace corvane::tunnel {

HomeView::HomeView(screenkit::Services services, screenkit::Binding<bool> sideMenu)
    : ScreenModel(std::move(services)), presentSideMenu(std::move(sideMenu)) {
  if (services_.tunnelCore != nullptr) {
    auto& core = *services_.tunnelCore;
    builder_ = std::make_unique<ProfileBuilder>(services_, core, kProfileID, true);
    button_ = std::make_unique<ConnectButton>(services_, core);
    status_ = std::make_unique<DashboardStatus>(services_, core);
    for (screenkit::ScreenModel* part : std::initializer_list<screenkit::ScreenModel*>{builder_.get(), button_.get(),
                                                                                       status_.get()}) {
      part->addChangeListener([this] { changed(); });
    }
  }
  serverAlert_ = platform::ObserverRegistration(
      services_.notifications,
      services_.notifications.addObserver(std::string(keys::kInitialServerSelected), [this] {
        selectServerAlert = true;
        changed();
      }));
}

HomeView::~HomeView() = default;

void HomeView::openServerList() {
  screenkit::retire(services_.mainLoop, serverList_);
  serverList_ = std::make_unique<servers::ServerListView>(services_, protocols, [this] {
    screenkit::retire(services_.mainLoop, serverList_);
    goToServerPage = false;
    // Back on the dashboard: the picker may have stored a new "Config".
    if (builder_) builder_->applyConfig();
    changed();
  });
  serverList_->addChangeListener([this] { changed(); });
  changed();
}

void HomeView::onShown() {
  if (builder_) builder_->onShown();
  if (status_) status_->onShown();
  changed();
}

void HomeView::onHidden() {
  if (status_) status_->onHidden();
}

void HomeView::pressPower() {
  if (button_) {
    button_->pressPower();
  } else {
    // No tunnel core: nothing can connect, and the user hears why rather than nothing.
    services_.log.error("no tunnel core: the power button cannot connect");
  }
}

void HomeView::alertOK() {
  selectServerAlert = false;
  goToServerPage = true;
  openServerList();
}

void HomeView::alertCancel() {
  selectServerAlert = false;
  changed();
}

}  // namespace corvane::tunnel
