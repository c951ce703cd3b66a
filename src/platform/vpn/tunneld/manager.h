#pragma once
// A tunnel provider manager saved for one uid: what the app's platform VPN service lists and
// starts. Its onDemandEnabled is the kill switch for that uid's tunnel.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/vpn/tunneld/on_demand_rule.h"

namespace corvane::platform::tunneld {

struct Manager {
  std::optional<std::string> id;  // absent on a new manager; the daemon assigns it
  std::string description = "CorvaneVPN";
  bool enabled = false;
  std::string providerBundleIdentifier = "net.corvane.client.ConnectTunnel";
  std::string serverAddress;
  std::string username;
  // Write-only: a client may send it with managers.save (absent keeps the saved one, empty
  // removes it); the daemon keeps it apart and never sends it back. OpenVPN profiles that say
  // a bare `auth-user-pass` get username and password from here.
  std::optional<std::string> password;
  // Key "ovpn": the OpenVPN configuration text a manager start runs.
  std::map<std::string, std::string> providerConfiguration;
  bool onDemandEnabled = false;
  std::vector<OnDemandRule> onDemandRules;

  friend bool operator==(const Manager&, const Manager&) = default;
};

}  // namespace corvane::platform::tunneld
