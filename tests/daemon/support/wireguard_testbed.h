#pragma once
// Two namespaces joined by a veth pair for the WireGuard end-to-end tests:
//   client  192.168.77.2/24 fd77::2/64  (the daemon runs here; default routes via the server)
//   server  192.168.77.1/24 fd77::1/64  wireguard-go peer on :51820 with 10.77.0.1/24 and
//           fd78::1/64 inside the tunnel; an HTTP echo on 10.77.0.1:8080 and [fd78::1]:8080,
//           reachable only through the tunnel, and one on 192.168.77.1:80 (the probe page).
// Everything is torn down when the testbed goes, processes before namespaces.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "daemon/support/net_namespace.h"
#include "platform/process/process.h"

namespace corvane::daemon::testing {

class WireGuardTestbed {
 public:
  static constexpr const char* kResolvConf = "nameserver 192.168.77.1\n";

  // Nothing, with `whyNot` set, when this machine cannot run it (not root, no wireguard-go).
  static std::unique_ptr<WireGuardTestbed> create(std::string* whyNot);
  ~WireGuardTestbed();

  // The configuration the daemon is given.
  std::string clientConfig(bool withIpv6 = true) const;
  const NetNamespace& client() const { return *client_; }
  const NetNamespace& server() const { return *server_; }
  std::string socketPath() const { return (scratch_ / "state" / "run" / "tunneld.sock").string(); }
  std::string clientInterface() const { return clientInterface_; }
  const std::filesystem::path& scratch() const { return scratch_; }

  // Starts corvane-tunneld in the client namespace (extra "NAME=value" environment entries).
  bool startDaemon(const std::vector<std::string>& extraEnvironment = {});
  // Sends `signal` to the daemon and reaps it; true when it ended cleanly (exit 0).
  bool stopDaemon(int signal);
  std::string daemonLog() const;
  // The pid of the daemon's wireguard-go, or 0.
  pid_t engineProcess() const;

  static std::filesystem::path binDir();

 private:
  WireGuardTestbed() = default;
  bool build(std::string* whyNot);

  std::filesystem::path scratch_;
  std::unique_ptr<NetNamespace> server_;
  std::unique_ptr<NetNamespace> client_;
  std::string serverInterface_;
  std::string clientPrefix_;
  std::string clientInterface_;
  std::string clientPrivate_, clientPublic_, serverPrivate_, serverPublic_;
  std::optional<platform::Process> serverWg_;
  std::optional<platform::Process> target_;
  std::optional<platform::Process> probePage_;
  std::optional<platform::Process> daemon_;
};

}  // namespace corvane::daemon::testing
