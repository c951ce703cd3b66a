#include "tunnelcore/standalone_command_client.h"

#include <cstdlib>

#include <boost/url/parse.hpp>

namespace corvane::tunnelcore {

SystemProxyStatus StandaloneCommandClient::statusFor(const platform::TunnelState& state,
                                                     const Environment& environment) {
  SystemProxyStatus status;
  const bool running = state.status == platform::VpnStatus::connected || state.status == platform::VpnStatus::reasserting;
  if (!running || !state.proxy) return status;
  status.available = true;
  for (const char* name : {"all_proxy", "ALL_PROXY", "https_proxy", "HTTPS_PROXY"}) {
    const auto value = environment(name);
    if (!value || value->empty()) continue;
    const auto url = boost::urls::parse_uri(*value);
    status.enabled = url && url->host() == state.proxy->host && url->has_port() &&
                     url->port_number() == state.proxy->port;
    break;
  }
  return status;
}

void StandaloneCommandClient::getSystemProxyStatus(std::function<void(Result<SystemProxyStatus>)> done) {
  // The client is often a temporary: the answer holds what it needs, not the client.
  daemon_.refreshState([&daemon = daemon_, environment = environment_, done = std::move(done)](Result<void> refreshed) {
    if (!refreshed) {
      done(refreshed.error());
      return;
    }
    done(statusFor(daemon.state(), environment));
  });
}

StandaloneCommandClient CoreNewStandaloneCommandClient(platform::TunnelDaemon& daemon) {
  return StandaloneCommandClient(daemon, [](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  });
}

}  // namespace corvane::tunnelcore
