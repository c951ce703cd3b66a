#pragma once
// The words the screens store in "VPNStatus" and compare against, and how the platform's
// status values 0-5 map onto them. Every screen that shows or tests a status goes through
// here instead of spelling the words.
#include <optional>
#include <string>
#include <string_view>

#include "platform/vpn/vpn_status.h"

namespace corvane::keys {

struct TunnelStatusText {
  static constexpr std::string_view connected = "Connected";
  static constexpr std::string_view connecting = "Connecting";
  static constexpr std::string_view disconnecting = "Disconnecting";
  static constexpr std::string_view disconnected = "Disconnected";

  // 0 invalid and 1 disconnected read "Disconnected", 2 "Connecting", 3 "Connected",
  // 5 "Disconnecting"; 4 reasserting has no word, so the last stored word stays.
  static constexpr std::optional<std::string_view> of(platform::VpnStatus status) {
    switch (status) {
      case platform::VpnStatus::invalid:
      case platform::VpnStatus::disconnected: return disconnected;
      case platform::VpnStatus::connecting: return connecting;
      case platform::VpnStatus::connected: return connected;
      case platform::VpnStatus::disconnecting: return disconnecting;
      case platform::VpnStatus::reasserting: return std::nullopt;
    }
    return std::nullopt;
  }

  // What a stored "VPNStatus" reads as: the stored word, or "Disconnected" when absent.
  static std::string shown(const std::optional<std::string>& stored) {
    return stored.value_or(std::string(disconnected));
  }
};

}  // namespace corvane::keys
