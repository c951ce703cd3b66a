#include "screens/home_view.h"

#include "servers/server_list_view.h"

namespace corvane::screens {

HomeView::HomeView(app::Services services, Binding<bool> sideMenu)
    : ScreenModel(std::move(services)), presentSideMenu(std::move(sideMenu)) {}

HomeView::~HomeView() = default;

void HomeView::openServerList() {
  retire(services_.mainLoop, serverList_);
  serverList_ = std::make_unique<servers::ServerListView>(services_, protocols, [this] {
    retire(services_.mainLoop, serverList_);
    changed();
  });
  serverList_->addChangeListener([this] { changed(); });
  changed();
}

}  // namespace corvane::screens
