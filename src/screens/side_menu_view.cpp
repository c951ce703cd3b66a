#include "screens/side_menu_view.h"

namespace corvane::screens {

SideMenuView::SideMenuView(screenkit::Services services, screenkit::Binding<std::int64_t> selection,
                           screenkit::Binding<bool> sideMenu)
    : ScreenModel(std::move(services)),
      selectedSideMenuTab(std::move(selection)),
      presentSideMenu(std::move(sideMenu)),
      locale(services_.localeIdentifier) {}

void SideMenuView::tapRow(SideMenuRowType row) {
  selectedSideMenuTab.set(static_cast<std::int64_t>(row));
  // The rows can only be tapped while the menu is open, so the toggle closes it.
  presentSideMenu.set(!presentSideMenu.get());
  changed();
}

void SideMenuView::tapClose() {
  presentSideMenu.set(!presentSideMenu.get());
  changed();
}

std::string SideMenuView::userName() const {
  return services_.preferences.get(keys::pref::username).value_or("");
}

}  // namespace corvane::screens
