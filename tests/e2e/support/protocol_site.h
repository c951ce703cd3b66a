#pragma once
// One protocol's far side for the end-to-end runs through corvanectl: a namespace testbed of
// the tunnel service's tests with the engine's server running in the server namespace, the
// catalogue entry that points at it, and the HTTP echo that answers only through the tunnel.
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "e2e/support/namespaced_backend.h"

namespace corvane::e2e {

enum class Protocol { wireGuard, openVpn, shadowsocks, v2ray };

class ProtocolSite {
 public:
  // Nothing, with `whyNot` set, when this machine cannot build it ("needs ..." when a program
  // or root is missing).
  static std::unique_ptr<ProtocolSite> create(Protocol protocol, std::string* whyNot);
  virtual ~ProtocolSite() = default;

  virtual const std::string& clientNamespace() const = 0;
  virtual std::filesystem::path scratch() const = 0;
  virtual std::string socketPath() const = 0;
  // The interface the daemon gives the tunnel, and the client's resolv.conf path and content
  // before any tunnel: both must be as they were after a disconnect.
  virtual std::string tunnelInterface() const = 0;
  virtual std::string resolvConfPath() const = 0;
  virtual std::string resolvConf() const = 0;
  virtual bool startDaemon() = 0;
  virtual std::string daemonLog() const = 0;

  // The catalogue's one server, in the file format of backend/README.md.
  virtual nlohmann::json catalogueServer() const = 0;
  // "http://ADDRESS:8080/ip", reachable through the tunnel; with "?format=json" it answers
  // {"ip": the caller's address}, as the IP echo does.
  virtual std::string echoUrl() const = 0;
  // Runs once the client has fetched its configuration from the backend: a WireGuard server
  // takes on the peers the backend provisioned.
  virtual bool provision(const NamespacedBackend& backend, std::string* whyNot) = 0;
  // The pid of the client's engine program, or 0.
  virtual pid_t engineProcess() const = 0;
};

}  // namespace corvane::e2e
