#pragma once
// The side menu: the signed-in user name and one row per SideMenuRowType. A row tap sets
// the container's selection and closes the menu; both go through the container's bindings.
#include <cstdint>
#include <string>

#include "screens/binding.h"
#include "screens/localization.h"
#include "screens/screen_model.h"
#include "screens/side_menu_row_type.h"

namespace corvane::screens {

class SideMenuView : public ScreenModel {
 public:
  SideMenuView(app::Services services, Binding<std::int64_t> selectedSideMenuTab,
               Binding<bool> presentSideMenu);

  Binding<std::int64_t> selectedSideMenuTab;
  Binding<bool> presentSideMenu;
  Localization locale;

  void tapRow(SideMenuRowType row);
  void tapClose();  // the "Close" icon beside "Menu"

  // The stored "username" at the time of drawing; empty when absent.
  std::string userName() const;
};

// The overlay that carries the menu: dims the screen while showing, and a tap on the dimmed
// area closes it.
class SideMenu {
 public:
  explicit SideMenu(Binding<bool> isShowing) : isShowing(std::move(isShowing)) {}
  Binding<bool> isShowing;
  static constexpr std::string_view kEdgeTransition = "leading";
  void tapDimmedArea() { isShowing.set(!isShowing.get()); }
};

}  // namespace corvane::screens
