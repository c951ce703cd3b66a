#include "tunnel/home_view.h"

#include "servers/server_list_view.h"

namespace corvane::tunnel {

HomeView::HomeView(screenkit::Services services, screenkit::Binding<bool> sideMenu)
    : ScreenModel(std::move(services)), presentSideMenu(std::move(sideMenu)) {}

HomeView::~HomeView() = default;

void HomeView::openServerList() {
  screenkit::retire(services_.mainLoop, serverList_);
  serverList_ = std::make_unique<servers::ServerListView>(services_, protocols, [this] {
    screenkit::retire(services_.mainLoop, serverList_);
    changed();
  });
  serverList_->addChangeListener([this] { changed(); });
  changed();
}

}  // namespace corvane::tunnel
