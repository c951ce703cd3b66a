#include "daemon/dns/host_dns.h"

namespace corvane::daemon::dns {

Result<void> HostDns::apply(const DnsSettings& settings) {
  if (settings.servers.empty()) return Result<void>::success();
  if (ResolvedDns::managesResolver(resolvConf_)) return resolved_.apply(settings);
  return file_.apply(settings);
}

Result<void> HostDns::restore() {
  auto resolved = resolved_.restore();
  auto file = file_.restore();
  return resolved ? file : resolved;
}

}  // namespace corvane::daemon::dns
