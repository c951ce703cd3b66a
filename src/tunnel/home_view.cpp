#include "tunnel/home_view.h"

#include "keys/notification_names.h"
#include "servers/server_list_view.h"
#include "tunnel/connect_button.h"
#include "tunnel/dashboard_status.h"
#include "tunnel/profile_builder.h"

namespace corvane::tunnel {

HomeView::HomeView(screenkit::Services services, screenkit::Binding<bool> sideMenu)
    : ScreenModel(std::move(services)), presentSideMenu(std::move(sideMenu)), locale(services_.localeIdentifier) {
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

void HomeView::scenePhaseActive(bool active) {
  if (status_) status_->scenePhaseActive(active);
}

HomeView::Labels HomeView::labels() const {
  const auto t = [this](std::string_view english) { return locale.text(english); };
  return Labels{t("Menu"),
                t("Last used server"),
                t("Protocol:"),
                t("Protocol IP:"),
                t("Speed:"),
                t("Server:"),
                t("Connect Failed!"),
                t("Please Select a Server to Connect VPN"),
                t("OK"),
                t("Cancel")};
}

std::optional<DashboardRows> HomeView::shownRows() const {
  if (!status_) return std::nullopt;
  DashboardRows r = status_->rows();
  r.statusPanel = locale.text(r.statusPanel);
  r.protocol = locale.text(r.protocol);
  // Only the placeholder is a text of ours; a server's own name is shown as it is.
  if (r.lastUsedServer.empty() && r.server == "not selected") {
    r.server = locale.text(r.server);
    r.lastUsedServer = r.server;  // the card says so too, rather than standing empty
  }
  return r;
}

std::optional<ConnectButton::Look> HomeView::shownLook() const {
  if (!button_) return std::nullopt;
  ConnectButton::Look look = button_->look();
  if (!look.label.empty()) look.label = locale.text(look.label);
  return look;
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
