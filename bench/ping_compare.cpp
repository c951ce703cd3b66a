// Side-by-side figures for the echo engine against iputils ping and fping, in one run, inside
// a namespace pair whose far side answers through the delayed echo responder:
//   1. accuracy: median |RTT - responder delay| over echoes to a 40 ms peer;
//   2. CPU time per echo over a long run to a 1 ms peer;
//   3. wall time to measure 200 hosts once each, every pinger started together, against
//      fping -c1 -i0 over the same hosts.
// Needs root (namespaces), ping and fping.
// Usage: ping_compare [ECHOES_FOR_ACCURACY [PHASES]], PHASES a subset of "acw" (all by default).
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

#include "../tests/ping/support/namespaces.h"
#include "corvane/build_config.h"
#include "ping/echo_pinger.h"
#include "platform/icmp/linux/linux_icmp_socket_factory.h"
#include "platform/mainloop/asio/asio_main_loop.h"
#include "platform/mainloop/asio/global_queue.h"
#include "platform/mainloop/asio/serial_queue.h"

using namespace corvane;
using ping::testing::DelayedPeer;
using ping::testing::EnterNamespace;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

double cpuSeconds(const rusage& r) { return seconds(r.ru_utime) + seconds(r.ru_stime); }

double median(std::vector<double> v) {
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct ToolRun {
  int status = -1;
  std::string output;  // stdout and stderr
  double cpu = 0;      // seconds, the tool's own (wait4)
  double wall = 0;     // seconds, fork to exit
};

// Runs a tool inside `ns` without `ip netns exec`, whose own set-up would count as the
// tool's CPU time: the child enters the namespace itself and execs the tool.
ToolRun runTool(const std::string& ns, const std::vector<std::string>& argv) {
  ToolRun run;
  int fds[2];
  if (pipe(fds) != 0) return run;
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int target = open(("/run/netns/" + ns).c_str(), O_RDONLY);
    if (target < 0 || setns(target, CLONE_NEWNET) != 0) _exit(126);
    dup2(fds[1], STDOUT_FILENO);
    dup2(fds[1], STDERR_FILENO);
    close(fds[0]);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(fds[1]);
  char chunk[4096];
  ssize_t n;
  while ((n = read(fds[0], chunk, sizeof chunk)) > 0) run.output.append(chunk, n);
  close(fds[0]);
  rusage usage{};
  wait4(pid, &run.status, 0, &usage);
  run.wall = std::chrono::duration<double>(Clock::now() - start).count();
  run.cpu = cpuSeconds(usage);
  return run;
}

std::vector<double> matchAll(const std::string& text, const std::regex& pattern) {
  std::vector<double> values;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    values.push_back(std::stod((*it)[1]));
  }
  return values;
}

// The engine as programs run it: Asio main loop, a two-thread pool, serial queues on it.
class Engine {
 public:
  struct Run {
    std::vector<double> rttMs;
    std::size_t errors = 0;
    double cpu = 0;
    double wall = 0;
    double creation = 0;  // of the wall time, making the pingers (sockets included)
    double started = 0;   // of the wall time, until every pinger was started
  };

  // `count` echoes to each address, `interval` apart; every pinger starts together.
  Run measure(const DelayedPeer& peer, const std::vector<std::string>& addresses, int count,
              double interval) {
    platform::AsioMainLoop loop;
    platform::GlobalQueue pool(2);
    platform::LinuxIcmpSocketFactory sockets;
    ping::EchoPingerServices services{
        loop, sockets, [&pool] { return std::make_unique<platform::SerialQueue>(pool); }, nullptr,
        platform::Log::null()};
    ping::PingConfiguration configuration;
    configuration.pingInterval = interval;
    configuration.timeoutInterval = 2.0;
    configuration.payloadSize = 56;  // what ping and fping send by default
    configuration.haltAfterTarget = true;

    std::mutex mutex;
    Run run;
    std::size_t reports = 0;
    const std::size_t expected = addresses.size() * static_cast<std::size_t>(count);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = Clock::now();
    std::vector<std::shared_ptr<ping::EchoPinger>> pingers;
    {
      EnterNamespace entered(peer.near());
      for (const auto& address : addresses) {
        auto pinger = ping::EchoPinger::createWithAddress(address, configuration, pool, services);
        if (!pinger) {
          std::fprintf(stderr, "cannot create a pinger for %s: %s\n", address.c_str(),
                       pinger.error().description().c_str());
          return run;
        }
        (*pinger)->setTargetCount(count);
        (*pinger)->setObserver([&](const ping::PingResponse& r) {
          bool all = false;
          {
            std::lock_guard lock(mutex);
            if (r.error)
              ++run.errors;
            else
              run.rttMs.push_back(r.duration * 1000);
            all = ++reports >= expected;
          }
          if (all) loop.post([] {});  // wake the loop once, to notice the end
        });
        pingers.push_back(*pinger);
      }
    }
    run.creation = std::chrono::duration<double>(Clock::now() - start).count();
    for (auto& pinger : pingers) (void)pinger->startPinging();
    run.started = std::chrono::duration<double>(Clock::now() - start).count();
    loop.runUntil(
        [&] {
          std::lock_guard lock(mutex);
          return reports >= expected;
        },
        std::chrono::seconds(120));
    run.wall = std::chrono::duration<double>(Clock::now() - start).count();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    run.cpu = cpuSeconds(after) - cpuSeconds(before);
    for (auto& pinger : pingers) pinger->haltPinging();
    pingers.clear();
    loop.runFor(std::chrono::milliseconds(10));
    return run;
  }
};

std::unique_ptr<DelayedPeer> makePeer(double delayMs) {
  std::string whyNot;
  auto peer = DelayedPeer::create(std::string(build::kBinaryDir) + "/delayed_echo_responder",
                                  delayMs, &whyNot);
  if (!peer) std::fprintf(stderr, "ping_compare: %s\n", whyNot.c_str());
  return peer;
}

double medianAbsError(const std::vector<double>& rtts, double delayMs) {
  std::vector<double> errors;
  for (double r : rtts) errors.push_back(std::fabs(r - delayMs));
  return median(errors);
}

const char* verdict(bool ok) { return ok ? "met" : "MISSED"; }

}  // namespace

int main(int argc, char** argv) {
  const int accuracyEchoes = argc > 1 ? std::max(5, std::atoi(argv[1])) : 50;
  const std::string phases = argc > 2 ? argv[2] : "acw";
  const auto wanted = [&phases](char phase) { return phases.find(phase) != std::string::npos; };
  if (geteuid() != 0 || !ping::testing::installed("ping") || !ping::testing::installed("fping")) {
    std::fprintf(stderr, "ping_compare: needs root, ping and fping (scripts/install-deps)\n");
    return 2;
  }
  const std::regex pingTime(R"(time=([0-9.]+) ms)");
  Engine engine;

  const std::string far = DelayedPeer::kFarAddress;
  if (wanted('a')) {
    // 1. Accuracy. The peer answers within a millisecond so that ping and fping print their
    // times to the microsecond (from 1 ms on they round to 10 us, from 10 ms to 100 us).
    constexpr double kDelayMs = 0.5;
    auto slow = makePeer(kDelayMs);
    if (!slow) return 1;
    const std::string n = std::to_string(accuracyEchoes);
    ToolRun pingRun = runTool(slow->near().name(), {"ping", "-n", "-c", n, "-i", "0.05", far});
    const auto pingRtts = matchAll(pingRun.output, pingTime);
    ToolRun fpingRun = runTool(slow->near().name(), {"fping", "-C", n, "-p", "50", "-q", far});
    std::vector<double> fpingRtts;
    if (auto colon = fpingRun.output.find(" : "); colon != std::string::npos) {
      fpingRtts = matchAll(fpingRun.output.substr(colon), std::regex(R"(([0-9]+\.[0-9]+))"));
    }
    const Engine::Run oursAccuracy = engine.measure(*slow, {far}, accuracyEchoes, 0.05);
    slow.reset();

    const double pingError = medianAbsError(pingRtts, kDelayMs);
    const double fpingError = medianAbsError(fpingRtts, kDelayMs);
    const double oursError = medianAbsError(oursAccuracy.rttMs, kDelayMs);
    std::printf("== accuracy: %d echoes each to a %.1f ms peer, median |RTT - delay|\n",
                accuracyEchoes, kDelayMs);
    std::printf("  ping    %.4f ms  (%zu replies, median RTT %.3f ms)\n", pingError,
                pingRtts.size(), median(pingRtts));
    std::printf("  fping   %.4f ms  (%zu replies, median RTT %.3f ms; fping prints 0.01 ms)\n",
                fpingError, fpingRtts.size(), median(fpingRtts));
    std::printf("  engine  %.4f ms  (%zu replies, %zu errors, median RTT %.3f ms)\n", oursError,
                oursAccuracy.rttMs.size(), oursAccuracy.errors, median(oursAccuracy.rttMs));
    std::printf("  goal: engine <= ping + 0.05 ms: %s\n\n", verdict(oursError <= pingError + 0.05));
  }

  // 2. CPU per echo against a 1 ms peer, 1 ms between echoes. Three interleaved rounds per
  // tool, median taken: other work on the machine shows up in one round more than in others.
  auto fast = makePeer(1);
  if (!fast) return 1;
  if (wanted('c')) {
    constexpr int kCpuEchoes = 1000;
    const std::string m = std::to_string(kCpuEchoes);
    std::vector<double> fpingPer, pingPer, oursPer;
    std::size_t oursCpuErrors = 0;
    for (int round = 0; round < 3; ++round) {
      fpingPer.push_back(
          runTool(fast->near().name(), {"fping", "-c", m, "-p", "1", "-q", far}).cpu / kCpuEchoes *
          1e6);
      pingPer.push_back(
          runTool(fast->near().name(), {"ping", "-n", "-q", "-c", m, "-i", "0.001", far}).cpu /
          kCpuEchoes * 1e6);
      const Engine::Run ours = engine.measure(*fast, {far}, kCpuEchoes, 0.001);
      oursPer.push_back(ours.cpu / kCpuEchoes * 1e6);
      oursCpuErrors += ours.errors + (kCpuEchoes - ours.rttMs.size() - ours.errors);
    }
    std::printf("== CPU time per echo: %d echoes to a 1 ms peer, user + system, median of 3\n",
                kCpuEchoes);
    std::printf(
        "  ping    %.1f us\n  fping   %.1f us\n  engine  %.1f us  (%zu echoes failed or missing)\n",
        median(pingPer), median(fpingPer), median(oursPer), oursCpuErrors);
    std::printf("  goal: engine <= 1.2 x fping: %s (%.2f x)\n\n",
                verdict(median(oursPer) <= 1.2 * median(fpingPer)),
                median(oursPer) / median(fpingPer));
  }

  // 3. Two hundred hosts, once each, everything started together.
  if (!wanted('w')) return 0;
  constexpr int kHosts = 200;
  const auto hosts = fast->addFarAddresses(kHosts);
  if (hosts.size() != static_cast<std::size_t>(kHosts)) {
    std::fprintf(stderr, "ping_compare: cannot add the far addresses\n");
    return 1;
  }
  std::vector<std::string> fpingArgs = {"fping", "-c1", "-i0", "-q"};
  fpingArgs.insert(fpingArgs.end(), hosts.begin(), hosts.end());
  (void)runTool(fast->near().name(), fpingArgs);  // warms the neighbour table for everyone
  std::vector<double> fpingWalls, oursWalls, oursCreation, oursStarted;
  std::size_t fpingMissing = 0, oursMissing = 0;
  for (int round = 0; round < 7; ++round) {
    ToolRun r = runTool(fast->near().name(), fpingArgs);
    fpingWalls.push_back(r.wall * 1000);
    if (WEXITSTATUS(r.status) != 0) ++fpingMissing;
    const Engine::Run ours = engine.measure(*fast, hosts, 1, 0);
    oursWalls.push_back(ours.wall * 1000);
    oursCreation.push_back(ours.creation * 1000);
    oursStarted.push_back(ours.started * 1000);
    oursMissing += kHosts - ours.rttMs.size();
  }
  std::printf("== wall time for %d hosts once each (median of 7 rounds, 1 ms peer)\n", kHosts);
  std::printf("  fping -c1 -i0  %.2f ms  (%zu rounds with a host missing)\n", median(fpingWalls),
              fpingMissing);
  std::printf(
      "  engine         %.2f ms  (making 200 pingers took %.2f ms, starting them %.2f ms more; "
      "%zu replies missing over all rounds)\n",
      median(oursWalls), median(oursCreation), median(oursStarted) - median(oursCreation),
      oursMissing);
  std::printf("  goal: engine <= 1.2 x fping: %s (%.2f x)\n",
              verdict(median(oursWalls) <= 1.2 * median(fpingWalls)),
              median(oursWalls) / median(fpingWalls));
  return 0;
}
