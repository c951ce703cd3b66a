// Side-by-side figures for corvane-tunneld, in one run, inside namespaces the program makes:
//   1. connect: start request -> status 3 event for WireGuard, against the same tunnel brought
//      up by hand in this process (wireguard-go, its UAPI socket, netlink; handshake polled
//      every 5 ms), alternating rounds;
//   2. status latency: wireguard-go killed -> the subscriber's status event (p50/p99/max);
//   3. the firewall's table set and removed: libnftables as now, against the nft program;
//   4. idle: the daemon's RSS and its context switches (wake-ups) per second over 10 s.
// Needs root, wireguard-go, wg, nft, curl. Usage: tunneld_compare [ROUNDS]
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "daemon/engines/wireguard/uapi_client.h"
#include "daemon/engines/wireguard/wireguard_config_parser.h"
#include "daemon/engines/wireguard/wireguard_routing.h"
#include "daemon/firewall/nft_ruleset.h"
#include "daemon/net/netlink.h"
#include "daemon/net/nftables.h"
#include "daemon/net/routing_ids.h"
#include "daemon/support/command.h"
#include "daemon/support/daemon_sandbox.h"
#include "daemon/support/tunnel_requests.h"
#include "daemon/support/tunneld_client.h"
#include "daemon/support/wireguard_testbed.h"
#include "platform/process/process.h"
#include "platform/process/process_environment.h"

using namespace corvane;
using namespace corvane::daemon::testing;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

// Moves this thread (and the programs it starts) into a namespace while alive.
class InNamespace {
 public:
  explicit InNamespace(const std::string& name) {
    home_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    int target = open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    ok_ = home_ >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
    if (target >= 0) close(target);
  }
  ~InNamespace() {
    if (ok_) setns(home_, CLONE_NEWNET);
    if (home_ >= 0) close(home_);
  }
  bool ok() const { return ok_; }

 private:
  int home_ = -1;
  bool ok_ = false;
};

// The firewall's table changes of one connect and stop (set while the tunnel comes up, then
// removed), in the client namespace: through libnftables as the daemon makes them, against the
// same scripts given to the nft program as before.
void reportTableChanges(const std::string& netns) {
  daemon::firewall::FirewallPolicy guard;
  guard.serverEndpoints = {{"192.168.77.1", 51820, daemon::engine::ServerEndpoint::Transport::udp}};
  guard.engineMark = daemon::net::kTunnelMark;
  guard.tunnelInterface = "cvbench0";
  const std::string table = std::string(daemon::firewall::kTableName);
  const std::string define = daemon::firewall::nftRuleset(guard);
  const std::string replace = "add table inet " + table + "\ndelete table inet " + table + "\n" + define;
  const std::string removal = "add table inet " + table + "\ndelete table inet " + table + "\n";
  constexpr int kRounds = 10;
  std::vector<double> library, program;
  InNamespace inside(netns);
  if (!inside.ok()) return;
  for (int i = 0; i < kRounds; ++i) {
    auto t0 = Clock::now();
    (void)daemon::net::Nftables::replaceTable("inet", table, define);
    (void)daemon::net::Nftables::removeTable("inet", table);
    library.push_back(ms(Clock::now() - t0));
    t0 = Clock::now();
    (void)run({"nft", "-f", "-"}, replace);
    (void)run({"nft", "-f", "-"}, removal);
    program.push_back(ms(Clock::now() - t0));
  }
  std::printf("firewall table set and removed (one connect and stop), %d rounds\n", kRounds);
  std::printf("  libnftables, no delete of an absent table: median %.1f ms\n", percentile(library, 0.5));
  std::printf("  nft program, add+delete+define, then add+delete (before): median %.1f ms\n",
              percentile(program, 0.5));
}

// The same tunnel as the daemon builds, by hand: the time from starting wireguard-go to a
// completed handshake, or a negative value on failure.
double connectByHand(const WireGuardTestbed& bed, const std::string& interfaceName) {
  namespace wg = daemon::engines::wireguard;
  auto parsed = wg::parseWireGuardConfig(bed.clientConfig());
  auto& config = std::get<wg::WireGuardConfig>(parsed);
  InNamespace inside(bed.client().name());
  if (!inside.ok()) return -1;
  auto start = Clock::now();
  platform::ProcessOptions options;
  options.argv = {"wireguard-go", "-f", interfaceName};
  options.environment = platform::ProcessEnvironment::current().set("WG_PROCESS_FOREGROUND", "1").entries();
  auto process = platform::Process::start(std::move(options));
  if (!process) return -1;
  wg::UapiClient uapi(wg::UapiClient::socketFor(interfaceName));
  while (!uapi.socketExists() && Clock::now() - start < 5s) std::this_thread::sleep_for(1ms);
  const auto& peer = config.peers.front();
  std::string body = "private_key=" + config.privateKey.hex() + "\nfwmark=" + std::to_string(daemon::net::kTunnelMark) +
                     "\nreplace_peers=true\npublic_key=" + peer.publicKey.hex() + "\nendpoint=192.168.77.1:51820\n" +
                     "replace_allowed_ips=true\n";
  for (const auto& prefix : peer.allowedIps) body += "allowed_ip=" + prefix.text() + "\n";
  body += "persistent_keepalive_interval=25\n";
  daemon::net::Netlink netlink;
  wg::WireGuardRouting routing(netlink);
  double elapsed = -1;
  if (uapi.set(body) && routing.apply(config, interfaceName)) {
    while (Clock::now() - start < 20s) {
      auto device = uapi.get();
      if (device && device->lastHandshake > 0) {
        elapsed = ms(Clock::now() - start);
        break;
      }
      std::this_thread::sleep_for(5ms);
    }
  }
  (void)process->stop(2s);
  routing.remove();
  (void)netlink.deleteLink(interfaceName);
  return elapsed;
}

double connectThroughDaemon(const WireGuardTestbed& bed, TunneldClient& client) {
  auto start = Clock::now();
  if (!client.call(startProfile(bed.clientConfig()))) return -1;
  if (!client.waitForStatus(platform::tunneld::kStatusConnected, 20s)) return -1;
  double elapsed = ms(Clock::now() - start);
  client.call(request(platform::tunneld::Op::stop));
  client.waitForStatus(platform::tunneld::kStatusDisconnected, 10s);
  return elapsed;
}

long readNumber(const std::string& file, const std::string& key) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::atol(line.substr(key.size()).c_str());
  }
  return -1;
}

long contextSwitches(pid_t pid) {
  long total = 0;
  std::error_code ignored;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ignored)) {
    auto status = (task.path() / "status").string();
    total += readNumber(status, "voluntary_ctxt_switches:") + readNumber(status, "nonvoluntary_ctxt_switches:");
  }
  return total;
}

pid_t daemonPid(const std::string& socketPath) {
  // The daemon is the process whose environment names this socket.
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    std::ifstream cmd(entry.path() / "cmdline");
    std::string cmdline((std::istreambuf_iterator<char>(cmd)), std::istreambuf_iterator<char>());
    if (cmdline.find("corvane-tunneld") == std::string::npos || cmdline.rfind("ip", 0) == 0) continue;
    std::ifstream env(entry.path() / "environ");
    std::string environ((std::istreambuf_iterator<char>(env)), std::istreambuf_iterator<char>());
    if (environ.find(socketPath) != std::string::npos) return std::atoi(entry.path().filename().c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  std::string why;
  auto bed = WireGuardTestbed::create(&why);
  if (!bed) {
    std::fprintf(stderr, "tunneld_compare: %s\n", why.c_str());
    return 77;
  }
  if (!bed->startDaemon()) return 1;
  TunneldClient client;
  if (!client.connect(bed->socketPath()) || !client.call(request(platform::tunneld::Op::subscribe))) return 1;

  std::vector<double> byDaemon, byHand;
  const std::string manualInterface = "cvm" + std::to_string(getpid() % 100000);
  for (int i = 0; i < rounds; ++i) {
    double d = connectThroughDaemon(*bed, client);
    double h = connectByHand(*bed, manualInterface);
    if (d > 0) byDaemon.push_back(d);
    if (h > 0) byHand.push_back(h);
  }
  double daemonMedian = percentile(byDaemon, 0.5), handMedian = percentile(byHand, 0.5);
  std::printf("connect (start -> connected), %d rounds side by side\n", rounds);
  std::printf("  corvane-tunneld  median %7.1f ms  max %7.1f ms\n", daemonMedian, percentile(byDaemon, 1));
  std::printf("  by hand          median %7.1f ms  max %7.1f ms\n", handMedian, percentile(byHand, 1));
  std::printf("  ratio %.2fx, difference %+.1f ms (goal: <= 1.2x + 50 ms, i.e. <= %.1f ms)\n",
              handMedian > 0 ? daemonMedian / handMedian : 0, daemonMedian - handMedian, handMedian * 1.2 + 50);

  std::vector<double> latency, kernel, daemonShare;
  for (int i = 0; i < rounds * 2; ++i) {
    if (!client.call(startProfile(bed->clientConfig()))) break;
    if (!client.waitForStatus(platform::tunneld::kStatusConnected, 20s)) break;
    pid_t engine = bed->engineProcess();
    if (engine <= 0) break;
    int pidfd = static_cast<int>(syscall(SYS_pidfd_open, engine, 0));
    auto t0 = Clock::now();
    // How long the kernel takes to end the whole program (its last thread closes the tunnel
    // device, whose removal waits on the routing lock), timed on its own thread so that an
    // event arriving before the exit is seen when it arrives.
    Clock::duration exited{};
    std::thread exitWatch([&] {
      if (pidfd < 0) return;
      pollfd p{pidfd, POLLIN, 0};
      poll(&p, 1, 5000);
      exited = Clock::now() - t0;
      close(pidfd);
    });
    kill(engine, SIGKILL);
    bool seen = client.waitForStatus([](const auto& s) { return s.status != platform::tunneld::kStatusConnected; }, 10s)
                    .has_value();
    auto event = Clock::now() - t0;
    exitWatch.join();
    if (!seen) break;
    kernel.push_back(ms(exited));
    latency.push_back(ms(event));
    daemonShare.push_back(ms(event) - ms(exited));
    client.waitForStatus(platform::tunneld::kStatusDisconnected, 10s);
  }
  std::printf("status change (wireguard-go killed -> subscriber's event), %zu samples\n", latency.size());
  std::printf("  p50 %.1f ms  p99 %.1f ms  max %.1f ms (goal: p99 <= 50 ms)\n", percentile(latency, 0.5),
              percentile(latency, 0.99), percentile(latency, 1));
  std::printf("  the kernel ending wireguard-go (kill -> exit seen on a pidfd): p50 %.1f ms  p99 %.1f ms\n",
              percentile(kernel, 0.5), percentile(kernel, 0.99));
  // Negative: the daemon told the subscriber before the program had ended (it watches the link).
  std::printf("  the event relative to the exit: p50 %+.1f ms  p99 %+.1f ms\n", percentile(daemonShare, 0.5),
              percentile(daemonShare, 0.99));
  reportTableChanges(bed->client().name());
  bed.reset();

  auto box = DaemonSandbox::create({}, &why);
  if (!box) return 1;
  TunneldClient idle;
  idle.connect(box->socketPath());
  std::this_thread::sleep_for(1s);
  pid_t pid = daemonPid(box->socketPath());
  long before = contextSwitches(pid);
  std::this_thread::sleep_for(10s);
  long after = contextSwitches(pid);
  std::printf("idle daemon (pid %d, one client connected)\n", pid);
  std::printf("  RSS %ld kB (goal: <= 20 MB)\n", readNumber("/proc/" + std::to_string(pid) + "/status", "VmRSS:"));
  std::printf("  wake-ups %.2f per second over 10 s (goal: no timer faster than 1 s)\n", (after - before) / 10.0);
  return 0;
}
