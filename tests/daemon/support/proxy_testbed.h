#pragma once
// The namespace testbed (192.168.79.0/24, fd79::/64) for the OpenVPN, Shadowsocks and V2ray
// tests and benchmarks: on the server's loopback, 10.79.0.1 holds an HTTP echo on :8080 and a
// UDP echo on :53, which the server's own firewall hides from the veth, so they answer only
// what arrives through a tunnel (or from the server's proxies). The test starts the engine's
// server side with startServer.
#include <memory>
#include <string>
#include <vector>

#include "daemon/support/namespace_testbed.h"

namespace corvane::daemon::testing {

class ProxyTestbed : public NamespaceTestbed {
 public:
  static constexpr const char* kResolvConf = "nameserver 10.79.0.1\n";
  static constexpr const char* kServerAddress = "192.168.79.1";
  static constexpr const char* kClientAddress = "192.168.79.2";
  static constexpr const char* kTargetAddress = "10.79.0.1";

  // Nothing, with `whyNot` set, when this machine cannot run it (not root, a program missing).
  static std::unique_ptr<ProxyTestbed> create(const std::vector<std::string>& programs, std::string* whyNot);

  // curl http://10.79.0.1:8080/ip from the client namespace; empty when it fails.
  std::string echoOverTcp() const;
  // The UDP echo on 10.79.0.1:53 from the client namespace; empty when it fails.
  std::string echoOverUdp() const;

 private:
  ProxyTestbed();
  bool build(std::string* whyNot);
};

}  // namespace corvane::daemon::testing
