#pragma once
// Everything the dashboard draws, as texts and image names, computed in one go.
#include <string>

namespace corvane::tunnel {

struct DashboardRows {
  std::string statusPanel;  // "Unprotected internet status", "Network Status", "Protected Internet Status"
  std::string statusIcon;   // "arrow-down", "arrow-down-green" or empty
  std::string powerImage;   // "powerButtonOff", "powerConnecting", "powerConnect"
  std::string protocol;     // "WireGuard", "OpenVPN", "Shadowshocks", "V2ray" or "No Protocol Selected"
  std::string address;      // the public address or "---.--.-.--"
  bool speedShown = true;   // false while the tunnel cannot count traffic
  std::string upload;       // "0 B/s", "1.5 KB/s"
  std::string download;
  std::string server;       // "ipName" or "not selected"
  std::string lastUsedCountryCode;
  std::string lastUsedFlag;  // the flag image for the country code, or empty
  std::string lastUsedCountryName;
  std::string lastUsedServer;
  std::string statusWord;   // what "VPNStatus" holds ("Disconnected" when absent)
};

}  // namespace corvane::tunnel
