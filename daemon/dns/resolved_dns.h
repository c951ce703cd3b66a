#pragma once
// DNS through systemd-resolved, where it manages the host's resolver: the tunnel's link gets
// the servers and the "~." routing domain (every query goes to it), with `resolvectl`; stop
// reverts the link. resolved forgets a link's settings when the link goes, so a crash leaves
// nothing behind once the interface is deleted.
#include <filesystem>
#include <string>

#include "daemon/dns/dns_configurator.h"

namespace corvane::daemon::dns {

class ResolvedDns final : public DnsConfigurator {
 public:
  // Whether resolved manages /etc/resolv.conf here (it is a link into /run/systemd/resolve).
  static bool managesResolvConf(const std::filesystem::path& resolvConf);

  Result<void> apply(const DnsSettings& settings) override;
  Result<void> restore() override;

 private:
  Result<void> resolvectl(std::vector<std::string> arguments);

  std::string interface_;
};

}  // namespace corvane::daemon::dns
