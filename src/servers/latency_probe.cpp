#include "servers/latency_probe.h"

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
  services_.scheduler->ask(hostPart(ip_), configuration(),
                           [report = report_](const ping::PingResponse& response) {
                             report(response.duration);
                           });
}

}  // namespace corvane::servers
