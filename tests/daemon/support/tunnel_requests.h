#pragma once
// Requests the tunnel tests send, built in one place.
#include <optional>
#include <string>

#include "platform/vpn/tunneld/contract.h"

namespace corvane::daemon::testing {

inline platform::tunneld::Request request(platform::tunneld::Op op) {
  platform::tunneld::Request r;
  r.op = op;
  return r;
}

inline platform::tunneld::Request startProfile(const std::string& content, const std::string& engine = "wireguard") {
  auto r = request(platform::tunneld::Op::start);
  r.profile = platform::tunneld::Profile{engine, content, "test"};
  return r;
}

// A manager that is only the kill switch: on-demand with the two connect rules.
inline platform::tunneld::Request saveKillSwitch(bool on, const std::optional<std::string>& probeURL,
                                                 std::optional<std::string> id = std::nullopt) {
  auto r = request(platform::tunneld::Op::managersSave);
  platform::tunneld::Manager manager;
  manager.id = std::move(id);
  manager.enabled = true;
  manager.onDemandEnabled = on;
  platform::tunneld::OnDemandRule probed;
  probed.probeURL = probeURL;
  manager.onDemandRules = {platform::tunneld::OnDemandRule{}, probed};
  r.manager = manager;
  return r;
}

}  // namespace corvane::daemon::testing
