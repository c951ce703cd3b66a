// corvane-tunneld: the privileged tunnel service. Runs until SIGTERM or SIGINT.
#include <asio/signal_set.hpp>

#include <cstdio>

#include "daemon/daemon_settings.h"
#include "daemon/tunnel_daemon.h"
#include "platform/log/log.h"
#include "platform/mainloop/asio/asio_main_loop.h"

int main() {
  using namespace corvane;
  auto log = platform::Log::standard("corvane-tunneld");
  platform::AsioMainLoop loop;
  daemon::TunnelDaemon tunnelDaemon(daemon::DaemonSettings::fromEnvironment(), loop, log);
  if (auto started = tunnelDaemon.start(); !started) {
    log.error("corvane-tunneld cannot start: " + started.error().description);
    return 1;
  }
  asio::signal_set signals(loop.context(), SIGTERM, SIGINT);
  signals.async_wait([&](std::error_code, int) { loop.stop(); });
  log.info("corvane-tunneld serving");
  loop.run();
  tunnelDaemon.shutdown();
  log.info("corvane-tunneld stopped");
  return 0;
}
