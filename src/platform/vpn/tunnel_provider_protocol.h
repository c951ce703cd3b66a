#pragma once
// The protocol configuration of a tunnel provider manager: which provider runs it and what
// it is handed ("ovpn": the OpenVPN configuration text).
#include <map>
#include <string>

namespace corvane::platform {

struct TunnelProviderProtocol {
  std::string serverAddress;
  std::string providerBundleIdentifier;
  std::map<std::string, std::string> providerConfiguration;
  std::string username;

  friend bool operator==(const TunnelProviderProtocol&, const TunnelProviderProtocol&) = default;
};

}  // namespace corvane::platform
