#pragma once
// What the picker's latency probes need: the echo engine's platform services, a host
// resolver, and the concurrent queue the reports arrive on.
#include "ping/echo_pinger_services.h"
#include "platform/host/host_resolver.h"
#include "platform/mainloop/queue.h"

namespace corvane::screenkit {

struct LatencyServices {
  ping::EchoPingerServices pinger;
  platform::HostResolver& resolver;
  platform::Queue& callbackQueue;  // the global concurrent queue
};

}  // namespace corvane::screenkit
