#include "daemon/leftover_cleanup.h"

#include <fmt/format.h>
#include <sys/socket.h>

#include "daemon/net/netlink.h"
#include "daemon/net/routing_ids.h"

namespace corvane::daemon {

void removeLeftovers(const DaemonSettings& settings, platform::MainLoop& loop, const engine::EngineRegistry& registry,
                     firewall::Firewall& firewall, dns::DnsConfigurator& dns, const platform::Log& log,
                     bool keepBlocking) {
  net::Netlink netlink;
  for (const auto& name : netlink.linkNamesWithPrefix(settings.interfacePrefix)) {
    if (auto deleted = netlink.deleteLink(name); !deleted) {
      log.error(deleted.error().description);
    } else {
      log.info(fmt::format("removed leftover interface {}", name));
    }
  }
  for (int family : {AF_INET, AF_INET6}) {
    (void)netlink.deleteRules(family, net::kTunnelRulePriority);
    (void)netlink.deleteRules(family, net::kSuppressRulePriority);
  }
  if (keepBlocking) {
    firewall::FirewallPolicy blockAll;
    blockAll.probeMark = net::kProbeMark;
    if (auto applied = firewall.apply(blockAll); !applied) log.error(applied.error().description);
  } else if (auto cleared = firewall.clear(); !cleared) {
    log.error(cleared.error().description);
  }
  if (auto restored = dns.restore(); !restored) log.error(restored.error().description);
  engine::EngineContext context{loop, settings.runtimeDir, settings.interfaceName(), net::kTunnelMark, settings.programDir, {}};
  for (const auto* factory : registry.all()) factory->removeLeftovers(context);
  // The engines' folders (sockets, 0600 configuration files) of the crashed run.
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(settings.runtimeDir, ignored)) {
    if (entry.is_directory(ignored)) std::filesystem::remove_all(entry.path(), ignored);
  }
}

}  // namespace corvane::daemon
