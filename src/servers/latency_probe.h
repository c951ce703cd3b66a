#pragma once
// One server row's latency probe: 1.0 s after the row appears, one ICMP echo to the host
// part of the server's "ip" (host:port loses its port), through the services' scheduler
// (rows of one address share an echo; when too many sockets are open the echo waits its
// turn). Failures before the echo (no such host, no ICMP socket) end the probe silently;
// the echo itself always reports, a time-out after about 5 s.
#include <functional>
#include <memory>
#include <string>

#include "ping/ping_configuration.h"
#include "platform/mainloop/main_loop.h"
#include "screenkit/latency_services.h"

namespace corvane::servers {

using screenkit::LatencyServices;

class LatencyProbe {
 public:
  static constexpr platform::Duration kStartDelay = platform::seconds(1.0);

  // The settings of every probe.
  static ping::PingConfiguration configuration();
  // "10.0.0.1:8443" → "10.0.0.1"; a text without ":" is the host.
  static std::string hostPart(const std::string& ip);

  // `report` gets the echo's duration in seconds, on the main loop. The probe keeps nothing
  // once started: the scheduler keeps the question until its echo is over.
  LatencyProbe(platform::MainLoop& loop, const LatencyServices& services, std::string ip,
               std::function<void(double)> report);
  ~LatencyProbe();
  LatencyProbe(const LatencyProbe&) = delete;
  LatencyProbe& operator=(const LatencyProbe&) = delete;

  bool started() const { return started_; }

 private:
  void start();

  platform::MainLoop& loop_;
  const LatencyServices& services_;
  std::string ip_;
  std::function<void(double)> report_;
  platform::TimerId timer_ = 0;
  bool started_ = false;
};

}  // namespace corvane::servers
