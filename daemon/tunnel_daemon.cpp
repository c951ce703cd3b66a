#include "daemon/tunnel_daemon.h"

#include <sys/stat.h>

#include "daemon/dns/host_dns.h"
#include "daemon/engines/builtin_engines.h"
#include "daemon/leftover_cleanup.h"
#include "daemon/net/routing_ids.h"
#include "platform/vpn/tunneld/line_codec.h"

namespace corvane::daemon {

TunnelDaemon::TunnelDaemon(DaemonSettings settings, platform::AsioMainLoop& loop, platform::Log log)
    : settings_(std::move(settings)), loop_(loop), log_(std::move(log)), firewall_() {
  engines::addBuiltinEngines(registry_, log_);
  dns_ = std::make_unique<dns::HostDns>(settings_.resolvConf, settings_.stateDir / "resolv.conf.backup");
}

TunnelDaemon::~TunnelDaemon() {
  server_.reset();
  slot_.reset();
  context_.reset();
}

Result<void> TunnelDaemon::start() {
  auto store = state::StateStore::open(settings_.stateDir);
  if (!store) return store.error();
  store_ = std::move(*store);
  // Normally made by tmpfiles (0750 root:corvane); made here for runs outside systemd.
  std::error_code ignored;
  if (!std::filesystem::exists(settings_.runtimeDir, ignored)) {
    std::filesystem::create_directories(settings_.runtimeDir, ignored);
    chmod(settings_.runtimeDir.c_str(), 0755);
  }

  auto crashedRun = store_->run();
  const bool keepBlocking = crashedRun && store_->onDemandManager(crashedRun->uid).has_value();
  removeLeftovers(settings_, loop_, registry_, firewall_, *dns_, log_, keepBlocking);

  probe_ = std::make_unique<probe::CaptiveProbe>(loop_, net::kProbeMark);
  slot::SlotSettings slotSettings;
  slotSettings.runtimeDir = settings_.runtimeDir;
  slotSettings.interfaceName = settings_.interfaceName();
  slotSettings.programDir = settings_.programDir;
  context_ = std::make_unique<slot::SlotContext>(
      slot::SlotContext::Services{loop_, registry_, *store_, firewall_, *dns_, *probe_, log_}, slotSettings);
  slot_ = std::make_unique<slot::TunnelSlot>(
      *context_,
      [this](const platform::tunneld::TunnelStatus& status) {
        if (!server_) return;
        platform::tunneld::Event event;
        event.status = status;
        server_->broadcast(platform::tunneld::LineCodec::write(event));
      },
      [this](const platform::tunneld::Traffic& traffic) {
        if (!server_) return;
        platform::tunneld::Event event;
        event.traffic = traffic;
        server_->broadcast(platform::tunneld::LineCodec::write(event));
      });
  handler_ = std::make_unique<server::RequestHandler>(*store_, *slot_);
  server_ = std::make_unique<server::SocketServer>(loop_.context(), server::CallerPolicy::forGroup(settings_.group),
                                                   *handler_, log_);
  if (crashedRun) {
    log_.info("an earlier run of " + crashedRun->engine + " was recorded; resuming it if its kill switch is on");
    slot_->resume(*crashedRun);
  }
  return server_->listen(settings_.socketPath);
}

void TunnelDaemon::shutdown() {
  server_.reset();
  if (slot_) slot_->shutdown();
}

}  // namespace corvane::daemon
