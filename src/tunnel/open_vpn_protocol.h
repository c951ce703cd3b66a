#pragma once
// The provider configuration an OpenVPN tunnel is started with: the "Config" text under
// "ovpn", for the app's tunnel provider.
#include <string>

#include "platform/vpn/tunnel_provider_protocol.h"
#include "tunnelcore/file_path.h"

namespace corvane::tunnel {

inline platform::TunnelProviderProtocol makeOpenVPNProtocol(const std::string& configuration) {
  platform::TunnelProviderProtocol protocol;
  protocol.serverAddress = "";
  protocol.providerBundleIdentifier = std::string(tunnelcore::FilePath::packageName) + ".ConnectTunnel";
  protocol.providerConfiguration = {{"ovpn", configuration}};
  protocol.username = "username";
  return protocol;
}

}  // namespace corvane::tunnel
