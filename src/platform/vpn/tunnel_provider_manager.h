#pragma once
// One tunnel provider configuration known to the VPN service, with its connection. The
// settings are edited in place and take effect with saveToPreferences; loadFromPreferences
// replaces them with what the service holds. Completions run on the main loop.
#include <functional>
#include <optional>

#include "platform/core/error.h"
#include "platform/core/result.h"
#include "platform/vpn/manager_settings.h"
#include "platform/vpn/vpn_status.h"

namespace corvane::platform {

class TunnelProviderManager {
 public:
  using Completion = std::function<void(std::optional<Error>)>;

  virtual ~TunnelProviderManager() = default;
  virtual bool isEnabled() const { return settings.isEnabled; }
  virtual VpnStatus connectionStatus() const = 0;

  // A manager of a service that cannot store or start anything refuses with "VPNError".
  virtual void loadFromPreferences(Completion completion) { completion(unsupported()); }
  virtual void saveToPreferences(Completion completion) { completion(unsupported()); }
  // Asks the service to start this manager's tunnel; the status then moves on by itself.
  virtual Result<void> startVPNTunnel() { return unsupported(); }
  virtual void stopVPNTunnel() {}

  ManagerSettings settings;

 protected:
  static Error unsupported() { return Error("VPNError", 1, "no tunnel service to save or start a tunnel"); }
};

}  // namespace corvane::platform
