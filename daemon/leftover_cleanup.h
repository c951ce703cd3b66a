#pragma once
// What a daemon killed with -9 leaves behind, removed before the next one serves: its
// interfaces (by prefix), its nftables table, its policy rules, the DNS it replaced, each
// engine's own leftovers, and the engines' runtime files.
#include "daemon/daemon_settings.h"
#include "daemon/dns/dns_configurator.h"
#include "daemon/engine/engine_registry.h"
#include "daemon/firewall/firewall.h"
#include "platform/mainloop/main_loop.h"
#include "platform/log/log.h"

namespace corvane::daemon {

// With `keepBlocking` (the crashed run's owner has the kill switch on) the table is replaced
// in one transaction by one that blocks everything, instead of being removed: the machine
// must not leak between the crash and the resumed tunnel.
void removeLeftovers(const DaemonSettings& settings, platform::MainLoop& loop, const engine::EngineRegistry& registry,
                     firewall::Firewall& firewall, dns::DnsConfigurator& dns, const platform::Log& log,
                     bool keepBlocking);

}  // namespace corvane::daemon
