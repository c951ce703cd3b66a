#pragma once
// The composition root of corvane-tunneld: builds every service once, cleans up after an
// earlier run, resumes a kill-switched tunnel and serves the socket. Tests and benchmarks
// run it in-process on their own loop; main() runs it as the program.
#include <memory>

#include "daemon/daemon_settings.h"
#include "daemon/dns/dns_configurator.h"
#include "daemon/engine/engine_registry.h"
#include "daemon/firewall/firewall.h"
#include "daemon/probe/captive_probe.h"
#include "daemon/server/request_handler.h"
#include "daemon/server/socket_server.h"
#include "daemon/slot/slot_context.h"
#include "daemon/slot/tunnel_slot.h"
#include "daemon/state/state_store.h"
#include "platform/log/log.h"
#include "platform/mainloop/asio/asio_main_loop.h"

namespace corvane::daemon {

class TunnelDaemon {
 public:
  TunnelDaemon(DaemonSettings settings, platform::AsioMainLoop& loop, platform::Log log);
  ~TunnelDaemon();

  // Cleans up, resumes, listens. Fails when the state store or the socket cannot be had.
  Result<void> start();
  // Takes the tunnel down (its record stays for the next start) and stops serving.
  void shutdown();

  slot::TunnelSlot& slot() { return *slot_; }

 private:
  DaemonSettings settings_;
  platform::AsioMainLoop& loop_;
  platform::Log log_;
  engine::EngineRegistry registry_;
  firewall::Firewall firewall_;
  std::unique_ptr<dns::DnsConfigurator> dns_;
  std::unique_ptr<state::StateStore> store_;
  std::unique_ptr<probe::CaptiveProbe> probe_;
  std::unique_ptr<slot::SlotContext> context_;
  std::unique_ptr<slot::TunnelSlot> slot_;
  std::unique_ptr<server::RequestHandler> handler_;
  std::unique_ptr<server::SocketServer> server_;
};

}  // namespace corvane::daemon
