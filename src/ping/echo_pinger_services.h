#pragma once
// What an EchoPinger needs from the platform, passed in by its creator.
#include <functional>
#include <memory>

#include "platform/icmp/icmp_socket.h"
#include "platform/lifecycle/app_lifecycle.h"
#include "platform/log/log.h"
#include "platform/mainloop/main_loop.h"
#include "platform/mainloop/queue.h"

namespace corvane::ping {

struct EchoPingerServices {
  // Socket watch and time-out timers. Must outlive every pinger.
  platform::MainLoop& mainLoop;
  platform::IcmpSocketFactory& sockets;
  // Makes a pinger's private serial queue, for sends that cannot go out on the loop thread.
  std::function<std::unique_ptr<platform::Queue>()> makeSerialQueue;
  // Source of the background and active moments; needed only by pingers that handle
  // background transitions. Must outlive every pinger.
  platform::AppLifecycle* lifecycle = nullptr;
  platform::Log log = platform::Log::null();
};

}  // namespace corvane::ping
