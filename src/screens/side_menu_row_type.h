#pragma once
// The side menu's rows. The raw value is also the main container's selection value for the
// screen the row leads to; 5 or more makes no row.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane::screens {

enum class SideMenuRowType : std::int64_t {
  getSupport = 0,
  setting = 1,
  connectDevices = 2,
  aboutUs = 3,
  logOut = 4,
};

inline constexpr std::array<SideMenuRowType, 5> kAllSideMenuRows = {
    SideMenuRowType::getSupport, SideMenuRowType::setting, SideMenuRowType::connectDevices,
    SideMenuRowType::aboutUs, SideMenuRowType::logOut};

std::optional<SideMenuRowType> sideMenuRow(std::int64_t rawValue);
std::string_view title(SideMenuRowType row);      // English key, e.g. "Get Support"
std::string_view iconName(SideMenuRowType row);   // asset, e.g. "support"

}  // namespace corvane::screens
