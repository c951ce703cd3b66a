#pragma once
// What the picker's latency probes need: the echo engine's platform services, a host
// resolver, the concurrent queue the reports arrive on, and the scheduler that keeps one
// echo per address and caps the open sockets. The scheduler goes with these services, so the
// owner decides when its pingers go: before the notification centre they observe.
#include <memory>

#include "ping/echo_pinger_services.h"
#include "ping/echo_scheduler.h"
#include "platform/host/host_resolver.h"
#include "platform/mainloop/queue.h"

namespace corvane::screenkit {

struct LatencyServices {
  LatencyServices(ping::EchoPingerServices pingerServices, platform::HostResolver& hostResolver,
                  platform::Queue& queue,
                  std::size_t maxSockets = ping::EchoScheduler::kDefaultMaxSockets)
      : pinger(std::move(pingerServices)),
        resolver(hostResolver),
        callbackQueue(queue),
        scheduler(std::make_unique<ping::EchoScheduler>(pinger, resolver, callbackQueue, maxSockets)) {}
  LatencyServices(const LatencyServices&) = delete;
  LatencyServices& operator=(const LatencyServices&) = delete;

  ping::EchoPingerServices pinger;
  platform::HostResolver& resolver;
  platform::Queue& callbackQueue;  // the global concurrent queue
  std::unique_ptr<ping::EchoScheduler> scheduler;
};

}  // namespace corvane::screenkit
