#pragma once
// A one-off client of the tunnel core for questions outside the traffic stream.
//
// On Linux there is no system-wide proxy switch that the tunnel core could own, so "enabled"
// means: the proxy variables this session hands its programs (all_proxy, ALL_PROXY,
// https_proxy, HTTPS_PROXY, in that order, the first one set) name the tunnel's loopback
// proxy, host and port. Desktop proxy settings are never changed by the client.
#include <functional>
#include <optional>
#include <string>

#include "platform/core/result.h"
#include "platform/vpn/tunnel_daemon.h"
#include "tunnelcore/system_proxy_status.h"

namespace corvane::tunnelcore {

class StandaloneCommandClient {
 public:
  using Environment = std::function<std::optional<std::string>(const char* name)>;

  StandaloneCommandClient(platform::TunnelDaemon& daemon, Environment environment)
      : daemon_(daemon), environment_(std::move(environment)) {}

  // Answers on the main loop, after asking the service for the slot's current state.
  void getSystemProxyStatus(std::function<void(Result<SystemProxyStatus>)> done);

  // The rule above, on a known state.
  static SystemProxyStatus statusFor(const platform::TunnelState& state, const Environment& environment);

 private:
  platform::TunnelDaemon& daemon_;
  Environment environment_;
};

// The client over the process environment.
StandaloneCommandClient CoreNewStandaloneCommandClient(platform::TunnelDaemon& daemon);

}  // namespace corvane::tunnelcore
