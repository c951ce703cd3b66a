#pragma once
// The namespace testbed (192.168.77.0/24, fd77::/64) with a wireguard-go peer in the server
// namespace on :51820, holding 10.77.0.1/24 and fd78::1/64 inside the tunnel, and an HTTP echo
// on 10.77.0.1:8080 and [fd78::1]:8080, reachable only through the tunnel.
#include <memory>
#include <string>

#include "daemon/support/namespace_testbed.h"

namespace corvane::daemon::testing {

class WireGuardTestbed : public NamespaceTestbed {
 public:
  static constexpr const char* kResolvConf = "nameserver 192.168.77.1\n";

  // Nothing, with `whyNot` set, when this machine cannot run it (not root, no wireguard-go).
  static std::unique_ptr<WireGuardTestbed> create(std::string* whyNot);
  ~WireGuardTestbed() override;

  // The configuration the daemon is given.
  std::string clientConfig(bool withIpv6 = true) const;
  // The daemon runs wireguard-go unless the test's environment names a CORVANE_WIREGUARD.
  // The pid of the wireguard-go on the daemon's interface, or 0; found also after the daemon
  // that started it was killed.
  pid_t engineProcess() const;
  using NamespaceTestbed::engineProcess;

 private:
  WireGuardTestbed();
  bool build(std::string* whyNot);

  std::string serverInterface_;
  std::string clientPrivate_, clientPublic_, serverPrivate_, serverPublic_;
};

}  // namespace corvane::daemon::testing
