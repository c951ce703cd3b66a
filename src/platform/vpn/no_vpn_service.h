#pragma once
// A VPN service with no tunnel provider managers: what a machine without the tunnel service
// honestly has. Screens then keep "VPNStatus" as it is stored.
#include "platform/mainloop/main_loop.h"
#include "platform/vpn/vpn_service.h"

namespace corvane::platform {

class NoVpnService final : public VpnService {
 public:
  explicit NoVpnService(MainLoop& loop) : loop_(loop) {}
  // The completion still arrives asynchronously, as it would from a real service.
  void loadAllFromPreferences(LoadCompletion completion) override {
    loop_.post([completion = std::move(completion)] { completion({}, std::nullopt); });
  }

 private:
  MainLoop& loop_;
};

}  // namespace corvane::platform
