#include "screens/side_menu_row_type.h"

namespace corvane::screens {

std::optional<SideMenuRowType> sideMenuRow(std::int64_t rawValue) {
  if (rawValue < 0 || rawValue > 4) return std::nullopt;
  return static_cast<SideMenuRowType>(rawValue);
}

std::string_view title(SideMenuRowType row) {
  switch (row) {
    case SideMenuRowType::getSupport: return "Get Support";
    case SideMenuRowType::setting: return "Setting";
    case SideMenuRowType::connectDevices: return "Connect devices";
    case SideMenuRowType::aboutUs: return "About Us";
    case SideMenuRowType::logOut: return "Log out";
  }
  return {};
}

std::string_view iconName(SideMenuRowType row) {
  switch (row) {
    case SideMenuRowType::getSupport: return "support";
    case SideMenuRowType::setting: return "setting";
    case SideMenuRowType::connectDevices: return "devices";
    case SideMenuRowType::aboutUs: return "about";
    case SideMenuRowType::logOut: return "logout";
  }
  return {};
}

}  // namespace corvane::screens
