#pragma once
// One tunnel provider configuration known to the VPN service, with its connection.
#include "platform/vpn/vpn_status.h"

namespace corvane::platform {

class TunnelProviderManager {
 public:
  virtual ~TunnelProviderManager() = default;
  virtual bool isEnabled() const = 0;
  virtual VpnStatus connectionStatus() const = 0;
};

}  // namespace corvane::platform
