#pragma once
// DNS through /etc/resolv.conf: the file is rewritten in place and its earlier content kept in
// a backup in the daemon's state folder, which restore() (after a stop, or at start-up after
// a crash) writes back. In place, never by rename: the file may be a bind mount (as in a
// network namespace made with `ip netns`) that a rename would fail on or silently replace.
#include <filesystem>

#include "daemon/dns/dns_configurator.h"

namespace corvane::daemon::dns {

class ResolvConfDns final : public DnsConfigurator {
 public:
  ResolvConfDns(std::filesystem::path resolvConf, std::filesystem::path backup)
      : resolvConf_(std::move(resolvConf)), backup_(std::move(backup)) {}

  Result<void> apply(const DnsSettings& settings) override;
  Result<void> restore() override;

 private:
  std::filesystem::path resolvConf_;
  std::filesystem::path backup_;
};

}  // namespace corvane::daemon::dns
