#pragma once
// Points the host's resolver at the tunnel's DNS servers and puts it back.
#include "daemon/dns/dns_settings.h"
#include "platform/core/result.h"

namespace corvane::daemon::dns {

class DnsConfigurator {
 public:
  virtual ~DnsConfigurator() = default;
  virtual Result<void> apply(const DnsSettings& settings) = 0;
  // Puts back what apply replaced. Also called at start-up after a crash, so it must work
  // from what is on disk alone and do nothing when nothing was replaced.
  virtual Result<void> restore() = 0;
};

}  // namespace corvane::daemon::dns
