// corvanectl status [--watch]: the dashboard's status word, protocol, address, speeds and
// server; with --watch one line more each time any of them changes.
#include <csignal>

#include "command_support.h"
#include "tunnel/dashboard_status.h"
#include "tunnel_session.h"

namespace corvane::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;

// The IP echo answers only over a working route. While the tunnel is down its request may
// never be answered (the kill switch drops it) until the loader's stall limit, so it is
// waited for only while the tunnel is connected, and then briefly: an echo that has not
// answered by then shows the placeholder, as the dashboard does until it answers.
constexpr std::chrono::milliseconds kEchoLimit{3000};
// The account refresh the dashboard sends on show, to the backend.
constexpr std::chrono::milliseconds kRequestLimit{5000};

void settle(ClientSession& session, TunnelSession& tunnel, tunnel::HomeView& home) {
  tunnel::DashboardStatus& dashboard = *home.dashboard();
  if (tunnel.core().extensionProfile.vpnStatus() == platform::VpnStatus::connected) {
    session.runUntil([&] { return !dashboard.lookingUpAddress(); }, kEchoLimit);
  }
  session.runUntil(
      [&] { return session.root().requestsInFlight() <= (dashboard.lookingUpAddress() ? 1 : 0); }, kRequestLimit);
  session.runUntil([] { return false; }, std::chrono::milliseconds(50));
}

int runStatus(const GlobalOptions& global, bool watch, double seconds) {
  ClientSession session({.withTunnel = true});
  TunnelSession tunnel(session);
  const bool reached = tunnel.reachService();
  tunnel::HomeView& home = tunnel.showDashboard();
  settle(session, tunnel, home);
  auto last = tunnel.report(home);
  if (!reached) last.lastError = "the tunnel service does not answer at `" + tunnel.socketPath() + "'";
  emit(global, last.json(), last.line());
  if (!watch) return reached ? kExitOk : kExitFailure;

  interrupted = 0;
  std::signal(SIGINT, [](int) { interrupted = 1; });
  std::signal(SIGTERM, [](int) { interrupted = 1; });
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                          std::chrono::duration<double>(seconds));
  // Lines are printed from the loop, a turn at a time, until interrupted or the time is up.
  while (!interrupted && std::chrono::steady_clock::now() < end) {
    session.runUntil([] { return interrupted != 0; }, std::chrono::milliseconds(200));
    auto now = tunnel.report(home);
    if (now == last) continue;
    last = now;
    emit(global, last.json(), last.line());
  }
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("status", "Show the tunnel's status, protocol, address, speeds and server",
                [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                  auto watch = std::make_shared<bool>(false);
                  // A day by default: watching is ended by Ctrl-C, but never runs unbounded.
                  auto seconds = std::make_shared<double>(86400.0);
                  sub.add_flag("--watch", *watch, "Print one more line each time something changes");
                  sub.add_option("--for", *seconds, "With --watch: stop after this many seconds")->check(CLI::PositiveNumber);
                  return [&global, watch, seconds] { return runStatus(global, *watch, *seconds); };
                });

}  // namespace corvane::cli
