#pragma once
// DNS through systemd-resolved, where it is the host's resolver: the tunnel's link gets the
// servers, the "~." routing domain (every query goes to it) and the default route; restore()
// reverts the link. resolved forgets a link's settings when the link goes, so after a crash
// deleting the leftover interface is enough. A tunnel without a link (a transparent proxy)
// cannot be given servers here: resolved refuses per-link DNS on loopback, and its global
// servers come only from its configuration files.
#include <filesystem>
#include <string>

#include "daemon/dns/dns_configurator.h"

namespace corvane::daemon::dns {

class ResolvedDns final : public DnsConfigurator {
 public:
  // Whether this resolv.conf sends queries to resolved's stub: a link into
  // /run/systemd/resolve, or a file whose only servers are the stub's 127.0.0.53 and 127.0.0.54.
  // A file naming other servers leaves resolved (if it runs) reading that file, so rewriting
  // it reaches both resolved and programs that read it themselves.
  static bool pointsAtStub(const std::filesystem::path& resolvConf);
  // pointsAtStub, and resolved is on the system bus to answer.
  static bool managesResolver(const std::filesystem::path& resolvConf);

  Result<void> apply(const DnsSettings& settings) override;
  Result<void> restore() override;

 private:
  std::string interface_;
  int linkIndex_ = 0;
};

}  // namespace corvane::daemon::dns
