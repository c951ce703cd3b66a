// Throughput through the tunnel the daemon built against the same engine set up by hand, in
// one run, for all four engines, inside namespaces the program makes. iperf3 from the client
// namespace to a server reachable only through the tunnel; rounds alternate daemon / by hand.
//   WireGuard  wireguard-go + wg setconf + a route to the far side
//   OpenVPN    openvpn --config with the same profile
//   Shadowsocks, V2ray  the same program and configuration the service writes, and the same
//              nftables table and policy rule, applied with nft and ip
// Needs root, iperf3 and the engines. Usage: tunneld_throughput [SECONDS [ROUNDS [ENGINES]]],
// ENGINES a subset of "wosv" (all by default).
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "daemon/engines/shadowsocks/shadowsocks_config_parser.h"
#include "daemon/engines/transparent/transparent_rules.h"
#include "daemon/engines/v2ray/v2ray_config_parser.h"
#include "daemon/net/routing_ids.h"
#include "daemon/support/command.h"
#include "daemon/support/proxy_testbed.h"
#include "daemon/support/test_pki.h"
#include "daemon/support/tunnel_requests.h"
#include "daemon/support/tunneld_client.h"
#include "daemon/support/wireguard_testbed.h"
#include "platform/process/process.h"
#include "platform/process/process_environment.h"

using namespace corvane;
using namespace corvane::daemon::testing;
using namespace std::chrono_literals;

namespace {

int gSeconds = 3;

std::optional<platform::Process> startIn(const std::string& netns, std::vector<std::string> argv) {
  platform::ProcessOptions options;
  options.argv = {"ip", "netns", "exec", netns};
  options.argv.insert(options.argv.end(), argv.begin(), argv.end());
  options.stdoutStream = platform::ChildStream::devNull();
  options.stderrStream = platform::ChildStream::devNull();
  options.newProcessGroup = true;
  auto process = platform::Process::start(std::move(options));
  if (!process) return std::nullopt;
  return std::move(*process);
}

// Megabits per second received by the far end, 0 on failure.
double iperf(const std::string& netns, const std::string& address) {
  auto result = runIn(netns, {"iperf3", "-c", address, "-t", std::to_string(gSeconds), "-J"}, {}, gSeconds + 20);
  auto json = nlohmann::json::parse(result.out, nullptr, false);
  if (json.is_discarded() || !json.contains("end")) return 0;
  return json["end"]["sum_received"].value("bits_per_second", 0.0) / 1e6;
}

bool waitFor(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
  for (auto waited = 0ms; waited < limit; waited += 50ms) {
    if (ready()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

// Starts the profile through a fresh daemon, measures, stops. `bed` is a testbed type with
// startDaemon/stopDaemon/socketPath.
template <typename Bed>
double throughDaemon(Bed& bed, const std::string& engine, const std::string& profile, const std::string& target) {
  if (!bed.startDaemon()) return 0;
  double mbps = 0;
  {
    TunneldClient client;
    if (client.connect(bed.socketPath()) && client.call(request(platform::tunneld::Op::subscribe))) {
      auto started = client.call(startProfile(profile, engine));
      if (started && started->ok() && client.waitForStatus(platform::tunneld::kStatusConnected, 30s)) {
        mbps = iperf(bed.client().name(), target);
      }
      (void)client.call(request(platform::tunneld::Op::stop));
      (void)client.waitForStatus(platform::tunneld::kStatusDisconnected, 10s);
    }
  }
  bed.stopDaemon(SIGTERM);
  return mbps;
}

struct Row {
  const char* engine;
  double daemon = 0, hand = 0;
  double floor;
};

void report(const std::vector<Row>& rows) {
  std::printf("\n%-12s %12s %12s %8s %8s\n", "engine", "daemon Mb/s", "hand Mb/s", "ratio", "floor");
  for (const auto& row : rows) {
    const double ratio = row.hand > 0 ? row.daemon / row.hand : 0;
    std::printf("%-12s %12.0f %12.0f %8.3f %8.2f %s\n", row.engine, row.daemon, row.hand, ratio, row.floor,
                ratio >= row.floor ? "ok" : "BELOW");
  }
}

Row wireguard(int rounds) {
  Row row{"wireguard", 0, 0, 0.95};
  std::string whyNot;
  auto bed = WireGuardTestbed::create(&whyNot);
  if (!bed) return std::fprintf(stderr, "wireguard: %s\n", whyNot.c_str()), row;
  auto server = startIn(bed->server().name(), {"iperf3", "-s", "-B", "10.77.0.1"});
  std::this_thread::sleep_for(300ms);
  const std::string profile = bed->clientConfig(false);
  // By hand: the same keys, wg setconf takes the [Interface]/[Peer] keys without Address/DNS.
  std::string setconf;
  std::istringstream lines(profile);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Address", 0) != 0 && line.rfind("DNS", 0) != 0) setconf += line + "\n";
  }
  const auto confPath = bed->scratch() / "hand-wg.conf";
  std::ofstream(confPath) << setconf;
  const std::string c = bed->client().name();
  const std::string dev = "cvh" + std::to_string(getpid() % 100000);
  for (int i = 0; i < rounds; ++i) {
    row.daemon += throughDaemon(*bed, "wireguard", profile, "10.77.0.1") / rounds;
    auto wg = startIn(c, {"wireguard-go", "-f", dev});
    bool up = wg && waitFor([&] { return runIn(c, {"wg", "setconf", dev, confPath.string()}).ok; }, 5s) &&
              runIn(c, {"ip", "addr", "add", "10.77.0.2/32", "dev", dev}).ok &&
              runIn(c, {"ip", "link", "set", dev, "up"}).ok &&
              runIn(c, {"ip", "route", "add", "10.77.0.0/24", "dev", dev}).ok;
    if (up) row.hand += iperf(c, "10.77.0.1") / rounds;
    if (wg) (void)wg->stop(2s);
    (void)runIn(c, {"ip", "link", "del", dev});
  }
  if (server) (void)server->stop(2s);
  return row;
}

// The transparent table and its policy rule, as the service makes them, applied by hand.
bool transparentByHand(const std::string& c, const daemon::engines::transparent::TransparentRules& rules) {
  return runIn(c, {"nft", "-f", "-"}, daemon::engines::transparent::nftTransparentRuleset(rules)).ok &&
         runIn(c, {"ip", "route", "add", "local", "0.0.0.0/0", "dev", "lo", "table",
                   std::to_string(daemon::net::kTransparentTable)}).ok &&
         runIn(c, {"ip", "rule", "add", "fwmark", std::to_string(daemon::net::kTransparentMark), "lookup",
                   std::to_string(daemon::net::kTransparentTable), "priority", "32102"}).ok;
}

void transparentUndo(const std::string& c) {
  (void)runIn(c, {"nft", "delete", "table", "inet", daemon::engines::transparent::kTransparentTable});
  (void)runIn(c, {"ip", "rule", "del", "priority", "32102"});
  (void)runIn(c, {"ip", "route", "flush", "table", std::to_string(daemon::net::kTransparentTable)});
}

// One proxy-style bed: the engine's server, then rounds of daemon / by hand.
Row proxyRow(const char* engine, double floor, int rounds, const std::vector<std::string>& programs,
             const std::function<std::vector<std::string>(ProxyTestbed&)>& server, const std::string& profile,
             const std::function<bool(ProxyTestbed&, std::optional<platform::Process>&)>& byHand) {
  Row row{engine, 0, 0, floor};
  std::string whyNot;
  auto bed = ProxyTestbed::create(programs, &whyNot);
  if (!bed) return std::fprintf(stderr, "%s: %s\n", engine, whyNot.c_str()), row;
  auto serverArgv = server(*bed);
  if (!serverArgv.empty() && !bed->startServer(serverArgv)) return row;
  auto iperfServer = startIn(bed->server().name(), {"iperf3", "-s", "-B", ProxyTestbed::kTargetAddress});
  std::this_thread::sleep_for(500ms);
  for (int i = 0; i < rounds; ++i) {
    row.daemon += throughDaemon(*bed, engine, profile, ProxyTestbed::kTargetAddress) / rounds;
    std::optional<platform::Process> program;
    if (byHand(*bed, program)) row.hand += iperf(bed->client().name(), ProxyTestbed::kTargetAddress) / rounds;
    if (program) (void)program->stop(3s);
    transparentUndo(bed->client().name());
  }
  if (iperfServer) (void)iperfServer->stop(2s);
  return row;
}

constexpr const char* kVmessId = "6a3c2d1e-8f4b-4c6d-9e0a-1b2c3d4e5f60";
constexpr std::uint16_t kHandPort = 12345, kHandSocks = 12346;

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) gSeconds = std::max(1, std::atoi(argv[1]));
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
  const std::string engines = argc > 3 ? argv[3] : "wosv";
  if (geteuid() != 0) return std::fprintf(stderr, "needs root (network namespaces)\n"), 1;
  std::vector<Row> rows;

  if (engines.find('w') != std::string::npos) rows.push_back(wireguard(rounds));

  if (engines.find('o') != std::string::npos) {
    TestPki pki;
    std::string profile;  // filled once the server step has made the PKI
    const std::string dev = "cvh" + std::to_string(getpid() % 100000);
    rows.push_back(proxyRow(
        "openvpn", 0.95, rounds, {"openvpn", "openssl", "iperf3"},
        [&](ProxyTestbed& bed) -> std::vector<std::string> {
          if (!pki.make(bed.scratch())) return {};
          profile = "client\ndev tun\nproto udp\nremote 192.168.79.1 1194\nnobind\nremote-cert-tls server\n"
                    "data-ciphers AES-256-GCM\n<ca>\n" + pki.caPem + "</ca>\n<cert>\n" + pki.clientCertPem +
                    "</cert>\n<key>\n" + pki.clientKeyPem + "</key>\n";
          return {"openvpn", "--config",
                  bed.writeFile("server.conf",
                                "port 1194\nproto udp\nlocal 192.168.79.1\ndev tun\ntopology subnet\n"
                                "server 10.8.0.0 255.255.255.0\nca " + pki.caFile.string() + "\ncert " +
                                    pki.serverCertFile.string() + "\nkey " + pki.serverKeyFile.string() +
                                    "\ndh none\npush \"redirect-gateway def1\"\nkeepalive 10 60\n"
                                    "data-ciphers AES-256-GCM\nverb 1\n")};
        },
        profile,
        [&](ProxyTestbed& bed, std::optional<platform::Process>& program) {
          const auto c = bed.client().name();
          auto path = bed.writeFile("hand.ovpn", profile + "dev " + dev + "\ndev-type tun\nverb 1\n");
          program = startIn(c, {"openvpn", "--config", path});
          return program && waitFor([&] {
                   return runIn(c, {"ip", "addr", "show", "dev", dev}).out.find("inet 10.8.") != std::string::npos;
                 }, 20s);
        }));
  }
  if (engines.find('s') != std::string::npos) {
    const std::string profile = "ss://Y2hhY2hhMjAtaWV0Zi1wb2x5MTMwNTp0ZXN0LXNlY3JldA@192.168.79.1:8388";
    rows.push_back(proxyRow(
        "shadowsocks", 0.9, rounds, {"ss-redir", "ss-server", "iperf3"},
        [](ProxyTestbed& bed) {
          return std::vector<std::string>{
              "ss-server", "-u", "-c",
              bed.writeFile("ss-server.json", R"({"server":"192.168.79.1","server_port":8388,"password":"test-secret",
                "method":"chacha20-ietf-poly1305","mode":"tcp_and_udp","timeout":60})")};
        },
        profile,
        [&](ProxyTestbed& bed, std::optional<platform::Process>& program) {
          auto config = daemon::engines::shadowsocks::parseShadowsocksConfig(profile);
          if (!config) return false;
          auto path = bed.writeFile("hand-ss.json", config->toSsRedirJson(kHandPort));
          program = startIn(bed.client().name(), {"ss-redir", "-c", path, "-T", "-u"});
          std::this_thread::sleep_for(500ms);
          daemon::engines::transparent::TransparentRules rules;
          rules.port = kHandPort;
          rules.serverAddresses = {ProxyTestbed::kServerAddress};
          return program && transparentByHand(bed.client().name(), rules);
        }));
  }
  if (engines.find('v') != std::string::npos) {
    const std::string profile = std::string(R"({"outbounds":[{"protocol":"vmess","settings":{"vnext":[{"address":"192.168.79.1",
      "port":10086,"users":[{"id":")") + kVmessId + R"(","alterId":0}]}]}}]})";
    rows.push_back(proxyRow(
        "v2ray", 0.9, rounds, {"v2ray", "iperf3"},
        [](ProxyTestbed& bed) {
          return std::vector<std::string>{
              "v2ray", "-config",
              bed.writeFile("v2ray-server.json",
                            std::string(R"({"inbounds":[{"listen":"192.168.79.1","port":10086,"protocol":"vmess",
                "settings":{"clients":[{"id":")") + kVmessId + R"(","alterId":0}]}}],"outbounds":[{"protocol":"freedom"}]})")};
        },
        profile,
        [&](ProxyTestbed& bed, std::optional<platform::Process>& program) {
          auto config = daemon::engines::v2ray::parseV2rayConfig(profile);
          if (!config) return false;
          auto path = bed.writeFile("hand-v2ray.json", config->render({kHandPort, kHandSocks, daemon::net::kTunnelMark}));
          program = startIn(bed.client().name(), {"v2ray", "-config", path});
          std::this_thread::sleep_for(1s);
          daemon::engines::transparent::TransparentRules rules;
          rules.port = kHandPort;
          rules.engineMark = daemon::net::kTunnelMark;
          return program && transparentByHand(bed.client().name(), rules);
        }));
  }
  report(rows);
  return 0;
}
