#include "e2e/support/protocol_site.h"

#include <vector>

#include "daemon/support/command.h"
#include "daemon/support/engine_servers.h"
#include "daemon/support/proxy_testbed.h"
#include "daemon/support/wireguard_testbed.h"

namespace corvane::e2e {
namespace {

using daemon::testing::EngineServer;
using daemon::testing::ProxyTestbed;
using daemon::testing::runIn;
using daemon::testing::startEngineServer;
using daemon::testing::WireGuardTestbed;
using nlohmann::json;

json server(int type, const std::string& name, const std::string& ip) {
  return {{"vpn_server_id", 1}, {"ip_id", 10}, {"type", type},          {"ipName", name},
          {"countryCode", "DE"}, {"countryName", "Germany"}, {"ip", ip}};
}

// The line after "KEY = " in an INI-style text.
std::string valueOf(const std::string& text, const std::string& key) {
  const auto at = text.find(key + " = ");
  if (at == std::string::npos) return {};
  const auto start = at + key.size() + 3;
  return text.substr(start, text.find('\n', start) - start);
}

class WireGuardSite : public ProtocolSite {
 public:
  explicit WireGuardSite(std::unique_ptr<WireGuardTestbed> bed) : bed_(std::move(bed)) {}
  const std::string& clientNamespace() const override { return bed_->client().name(); }
  std::filesystem::path scratch() const override { return bed_->scratch(); }
  std::string socketPath() const override { return bed_->socketPath(); }
  std::string tunnelInterface() const override { return bed_->clientInterface(); }
  std::string resolvConfPath() const override { return bed_->client().resolvConfPath(); }
  std::string resolvConf() const override { return WireGuardTestbed::kResolvConf; }
  bool startDaemon() override { return bed_->startDaemon(); }
  std::string daemonLog() const override { return bed_->daemonLog(); }
  pid_t engineProcess() const override { return bed_->engineProcess(); }
  std::string echoUrl() const override { return "http://10.77.0.1:8080/ip"; }

  json catalogueServer() const override {
    json entry = server(5, "Lab WireGuard", "192.168.77.1");
    entry["wireguard"] = {{"public_key", valueOf(bed_->clientConfig(), "PublicKey")},
                          {"endpoint", "192.168.77.1:51820"},
                          {"dns", "10.77.0.1"}};
    return entry;
  }

  bool provision(const NamespacedBackend& backend, std::string* whyNot) override {
    const auto peers = json::parse(backend.testGet("/test/wireguard-peers"), nullptr, false);
    if (peers.is_discarded() || !peers.contains("peers") || peers["peers"].empty()) {
      return *whyNot = "the backend lists no WireGuard peer", false;
    }
    // The server's tunnel is the interface holding 10.77.0.1.
    const auto& s = bed_->server().name();
    const auto shown = runIn(s, {"ip", "-o", "-4", "addr", "show", "to", "10.77.0.1/32"}).out;
    std::string iface = shown.substr(shown.find(": ") + 2);
    iface = iface.substr(0, iface.find(' '));
    for (const auto& peer : peers["peers"]) {
      const std::string key = peer["public_key"];
      const std::string address = peer["allowed_ips"];
      if (!runIn(s, {"wg", "set", iface, "peer", key, "allowed-ips", address}).ok ||
          !runIn(s, {"ip", "route", "replace", address, "dev", iface}).ok) {
        return *whyNot = "cannot add the peer " + address + " to " + iface, false;
      }
    }
    return true;
  }

 private:
  std::unique_ptr<WireGuardTestbed> bed_;
};

// OpenVPN, Shadowsocks and V2ray: the engine's server on 192.168.79.1, the echo on 10.79.0.1.
// The testbed's server drops what reaches the echo outside a tunnel, which would hold the
// address lookup after a disconnect until the client stops waiting for it; here that is
// refused at once instead (a real echo would answer).
class ProxySite : public ProtocolSite {
 public:
  ProxySite(std::unique_ptr<ProxyTestbed> bed, json entry) : bed_(std::move(bed)), entry_(std::move(entry)) {
    (void)runIn(bed_->server().name(), {"nft", "-f", "-"},
                "table inet cve2e {\n chain input {\n  type filter hook input priority -10;\n"
                "  iifname \"vs\" ip daddr 10.79.0.1 tcp dport 8080 reject with tcp reset\n }\n}\n");
  }
  const std::string& clientNamespace() const override { return bed_->client().name(); }
  std::filesystem::path scratch() const override { return bed_->scratch(); }
  std::string socketPath() const override { return bed_->socketPath(); }
  std::string tunnelInterface() const override { return bed_->clientInterface(); }
  std::string resolvConfPath() const override { return bed_->client().resolvConfPath(); }
  std::string resolvConf() const override { return ProxyTestbed::kResolvConf; }
  bool startDaemon() override { return bed_->startDaemon(); }
  std::string daemonLog() const override { return bed_->daemonLog(); }
  pid_t engineProcess() const override { return 0; }
  std::string echoUrl() const override { return "http://10.79.0.1:8080/ip"; }
  json catalogueServer() const override { return entry_; }
  bool provision(const NamespacedBackend&, std::string*) override { return true; }

 private:
  std::unique_ptr<ProxyTestbed> bed_;
  json entry_;
};

// The engine's server side and the client configuration are the tunnel service tests' own;
// here the configuration goes into the catalogue entry the backend hands out.
std::unique_ptr<ProtocolSite> proxySite(const EngineServer& engine, const std::vector<std::string>& programs,
                                        int type, const std::string& name, std::string* whyNot) {
  auto bed = ProxyTestbed::create(programs, whyNot);
  if (!bed) return nullptr;
  auto config = startEngineServer(engine, *bed);
  if (!config) return *whyNot = "cannot start the " + engine.engine + " server", nullptr;
  json entry = server(type, name, ProxyTestbed::kServerAddress);
  entry["config"] = *config;
  return std::make_unique<ProxySite>(std::move(bed), std::move(entry));
}

}  // namespace

std::unique_ptr<ProtocolSite> ProtocolSite::create(Protocol protocol, std::string* whyNot) {
  switch (protocol) {
    case Protocol::wireGuard: {
      auto bed = WireGuardTestbed::create(whyNot);
      if (!bed) return nullptr;
      return std::make_unique<WireGuardSite>(std::move(bed));
    }
    case Protocol::openVpn:
      return proxySite(daemon::testing::kOpenVpnServer, {"openvpn", "openssl"}, 1, "Lab OpenVPN", whyNot);
    case Protocol::shadowsocks:
      return proxySite(daemon::testing::kShadowsocksServer, {"ss-redir", "ss-server"}, 4, "Lab Shadowsocks", whyNot);
    case Protocol::v2ray: return proxySite(daemon::testing::kV2rayServer, {"v2ray"}, 7, "Lab V2ray", whyNot);
  }
  return nullptr;
}

}  // namespace corvane::e2e
