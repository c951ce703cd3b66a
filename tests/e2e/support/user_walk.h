#pragma once
// What every run through corvanectl starts with: a protocol site with its daemon running, the
// backend on the client namespace's loopback serving a catalogue of the site's one server,
// and corvanectl pointed at both; then signed in with the demo account and the server chosen.
#include <memory>
#include <string>
#include <vector>

#include "e2e/support/corvanectl.h"
#include "e2e/support/namespaced_backend.h"
#include "e2e/support/protocol_site.h"

namespace corvane::e2e {

struct UserWalk {
  std::unique_ptr<ProtocolSite> site;
  std::unique_ptr<NamespacedBackend> backend;
  std::unique_ptr<Corvanectl> ctl;

  // Empty when ready; otherwise why not ("needs ..." when the machine lacks something).
  // `probeUrl` is the kill switch's captive probe.
  std::string prepare(Protocol protocol, const std::string& probeUrl);
  // login, protocol, select, and (WireGuard) the provisioned peer added to the server. Empty
  // when done; otherwise the failing command's output.
  std::string choose(const std::string& protocolWord, const std::string& serverName);
  // The same corvanectl (same home) with another captive probe.
  Corvanectl withProbe(const std::string& probeUrl) const;
  // Runs a command; `failure` gets its description (and the daemon's log) when it exits non-zero.
  CtlResult run(const std::vector<std::string>& args, std::string* failure, const std::string& input = {}) const;
};

}  // namespace corvane::e2e
