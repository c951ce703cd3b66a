#pragma once
// The side menu: the signed-in user name and one row per SideMenuRowType. A row tap sets
// the container's selection and closes the menu; both go through the container's bindings.
#include <cstdint>
#include <string>

#include "screenkit/binding.h"
#include "screenkit/localization.h"
#include "screenkit/screen_model.h"
#include "screens/side_menu_row_type.h"

namespace corvane::screens {

class SideMenuView : public screenkit::ScreenModel {
 public:
  SideMenuView(screenkit::Services services, screenkit::Binding<std::int64_t> selectedSideMenuTab,
               screenkit::Binding<bool> presentSideMenu);

  screenkit::Binding<std::int64_t> selectedSideMenuTab;
  screenkit::Binding<bool> presentSideMenu;
  screenkit::Localization locale;
  // The heading beside the close control.
  static constexpr screenkit::NamedText kTexts[] = {{"menuTitle", "Menu"}};

  void tapRow(SideMenuRowType row);
  void tapClose();  // the "Close" icon beside "Menu"

  // The stored "username" at the time of drawing; empty when absent.
  std::string userName() const;
};

// The overlay that carries the menu: dims the screen while showing, and a tap on the dimmed
// area closes it.
class SideMenu {
 public:
  explicit SideMenu(screenkit::Binding<bool> isShowing) : isShowing(std::move(isShowing)) {}
  screenkit::Binding<bool> isShowing;
  static constexpr std::string_view kEdgeTransition = "leading";
  void tapDimmedArea() { isShowing.set(!isShowing.get()); }
};

}  // namespace corvane::screens
