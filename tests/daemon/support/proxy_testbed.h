#pragma once
// Two namespaces joined by a veth pair for the OpenVPN, Shadowsocks and V2ray end-to-end
// tests and benchmarks:
//   client  192.168.79.2/24 (the daemon runs here; default route via the server)
//   server  192.168.79.1/24 and, on its loopback, 10.79.0.1: an HTTP echo on :8080 and
//           a UDP echo on :53, which the server's own firewall hides from the veth, so they
//           answer only what arrives through a tunnel (or from the server's proxies).
// The test starts the engine's server side with startServer. Everything is torn down when the
// testbed goes, processes before namespaces.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "daemon/support/net_namespace.h"
#include "platform/process/process.h"

namespace corvane::daemon::testing {

class ProxyTestbed {
 public:
  static constexpr const char* kResolvConf = "nameserver 10.79.0.1\n";
  static constexpr const char* kServerAddress = "192.168.79.1";
  static constexpr const char* kClientAddress = "192.168.79.2";
  static constexpr const char* kTargetAddress = "10.79.0.1";

  // Nothing, with `whyNot` set, when this machine cannot run it (not root, a program missing).
  static std::unique_ptr<ProxyTestbed> create(const std::vector<std::string>& programs, std::string* whyNot);
  ~ProxyTestbed();

  const NetNamespace& client() const { return *client_; }
  const NetNamespace& server() const { return *server_; }
  const std::filesystem::path& scratch() const { return scratch_; }
  std::string socketPath() const { return (scratch_ / "state" / "run" / "tunneld.sock").string(); }
  std::string clientInterface() const { return clientPrefix_ + "0"; }

  // Writes `content` to a 0600 file in the scratch folder and returns its path.
  std::string writeFile(const std::string& name, const std::string& content) const;
  // Starts a server-side program in the server namespace; waits `settle` for it to come up.
  bool startServer(std::vector<std::string> argv);
  // Starts a program in the client namespace (a tunnel set up by hand, for the benchmarks).
  bool startClientProgram(std::vector<std::string> argv);
  bool startDaemon();
  void stopDaemon(int signal);
  std::string daemonLog() const;

  // curl http://10.79.0.1:8080/ip from the client namespace; empty when it fails.
  std::string echoOverTcp() const;
  // The UDP echo on 10.79.0.1:53 from the client namespace; empty when it fails.
  std::string echoOverUdp() const;

 private:
  ProxyTestbed() = default;
  bool build(std::string* whyNot);

  std::filesystem::path scratch_;
  std::unique_ptr<NetNamespace> server_;
  std::unique_ptr<NetNamespace> client_;
  std::string clientPrefix_;
  std::vector<platform::Process> servers_;
  std::optional<platform::Process> daemon_;
};

}  // namespace corvane::daemon::testing
