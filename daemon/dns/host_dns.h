#pragma once
// The host's DNS, whichever way it is managed, decided each time a tunnel comes up: through
// systemd-resolved where it is the resolver, otherwise by swapping resolv.conf. Decided per
// tunnel because resolved may start, stop or be installed while the daemon runs. restore()
// undoes either; each part does nothing when it changed nothing (after a crash, the backup
// file tells the resolv.conf part what to put back).
#include <filesystem>

#include "daemon/dns/resolv_conf_dns.h"
#include "daemon/dns/resolved_dns.h"

namespace corvane::daemon::dns {

class HostDns final : public DnsConfigurator {
 public:
  HostDns(std::filesystem::path resolvConf, std::filesystem::path backup)
      : resolvConf_(resolvConf), file_(std::move(resolvConf), std::move(backup)) {}

  Result<void> apply(const DnsSettings& settings) override;
  Result<void> restore() override;

 private:
  std::filesystem::path resolvConf_;
  ResolvConfDns file_;
  ResolvedDns resolved_;
};

}  // namespace corvane::daemon::dns
