#include "servers/latency_probe.h"

#include "ping/echo_pinger.h"
#include "ping/host_resolution.h"
#include "screenkit/latency_services.h"

namespace corvane::servers {

ping::PingConfiguration LatencyProbe::configuration() {
  ping::PingConfiguration config;
  config.pingInterval = 0.5;
  config.timeoutInterval = 5.0;
  config.handleBackgroundTransitions = true;
  config.timeToLive = std::nullopt;
  config.payloadSize = 16;
  config.haltAfterTarget = true;
  return config;
}

std::string LatencyProbe::hostPart(const std::string& ip) {
  return ip.substr(0, ip.find(':'));
}

LatencyProbe::LatencyProbe(platform::MainLoop& loop, const LatencyServices& services,
                           std::string ip, std::function<void(double)> report)
    : loop_(loop), services_(services), ip_(std::move(ip)), report_(std::move(report)) {
  timer_ = loop_.postAfter(kStartDelay, [this] { start(); });
}

LatencyProbe::~LatencyProbe() {
  if (!started_) loop_.cancel(timer_);
}

void LatencyProbe::start() {
  started_ = true;
  const std::string host = hostPart(ip_);
  // Resolution blocks the main loop for the lookup, as it does for every row; the demo and
  // tests use literal addresses, which resolve without a query.
  auto address = ping::resolveHost(services_.resolver, host);
  if (!address) return;
  auto pinger = ping::EchoPinger::create(ping::Destination{host, *address}, configuration(),
                                         services_.callbackQueue, services_.pinger);
  if (!pinger) return;
  (*pinger)->setObserver(
      [report = report_](const ping::PingResponse& response) { report(response.duration); });
  (*pinger)->setTargetCount(1);
  (void)(*pinger)->startPinging();
}

}  // namespace corvane::servers
