// The power button as the connect and disconnect commands press it: on the dashboard, then
// the status once the tunnel has settled.
#include "power_flow.h"

#include "command_support.h"
#include "keys/preference_key.h"
#include "tunnel/connect_button.h"
#include "tunnel/dashboard_status.h"
#include "tunnel_report.h"
#include "tunnel_session.h"

namespace corvane::cli {
namespace {

using platform::VpnStatus;

// An engine start (handshake, routes) takes seconds; a minute means it is not coming.
constexpr std::chrono::milliseconds kTunnelLimit{60'000};
// The IP echo through a tunnel that has just come up.
constexpr std::chrono::milliseconds kEchoLimit{5000};

// Signed out there is no dashboard, yet a log-out leaves the tunnel up: taking it down needs
// no account, so the tunnel service is asked directly and only the status word is known.
int stopSignedOut(ClientSession& session, TunnelSession& tunnel, const GlobalOptions& global) {
  platform::TunnelDaemon& daemon = tunnel.daemon();
  const auto status = [&] { return daemon.state().status; };
  if (status() != VpnStatus::disconnected) {
    daemon.stop([](Result<void>) {});
    session.runUntil([&] { return status() == VpnStatus::disconnected; }, kTunnelLimit);
    if (status() != VpnStatus::disconnected) return failWith(global, "the tunnel did not go down");
  }
  const std::string word = "Disconnected";
  emit(global, nlohmann::json{{"status", word}, {"killSwitchBlocking", daemon.state().killSwitch}}, word);
  return kExitOk;
}

}  // namespace

int runPower(const GlobalOptions& global, bool wantUp) {
  ClientSession session({.withTunnel = true});
  const bool signedIn = session.preferences().get(keys::pref::loggedIn);
  if (wantUp && !requireSignedIn(session, global)) return kExitFailure;
  TunnelSession tunnel(session);
  if (!tunnel.reachService()) {
    return failWith(global, "the tunnel service does not answer at `" + tunnel.socketPath() +
                                "' (is corvane-tunneld running, and are you in group corvane?)");
  }
  if (!signedIn) return stopSignedOut(session, tunnel, global);
  tunnel::HomeView& home = tunnel.showDashboard();
  tunnel::ConnectButton& button = *home.connectButton();
  const auto status = [&] { return tunnel.core().extensionProfile.vpnStatus(); };
  const bool up = status() == VpnStatus::connected || status() == VpnStatus::connecting;
  if (up != wantUp) {
    if (wantUp && !session.preferences().get(keys::pref::initialServerSelected)) {
      return failWith(global, "Connect Failed! Please Select a Server to Connect VPN (corvanectl servers, then select)");
    }
    bool started = false;
    home.pressPower();
    session.runUntil(
        [&] {
          if (status() == VpnStatus::connecting) started = true;
          if (button.alert) return true;
          if (wantUp) return status() == VpnStatus::connected || (started && status() == VpnStatus::disconnected);
          return status() == VpnStatus::disconnected;
        },
        kTunnelLimit);
    if (button.alert) return failWith(global, "Connect Failed: " + *button.alert);
    if (wantUp && status() != VpnStatus::connected) {
      const auto& why = tunnel.daemon().state().lastError;
      return failWith(global, "the tunnel did not come up" + (why.empty() ? std::string() : ": " + why));
    }
    if (!wantUp && status() != VpnStatus::disconnected) return failWith(global, "the tunnel did not go down");
  }
  // The dashboard asked the IP echo again when the tunnel came up or went down, and shows no
  // address until the new side answers. It is waited for only when the tunnel ends up
  // connected: down, the echo may never answer (the kill switch drops it, or it is reachable
  // only through a tunnel), so the placeholder is what is known and the command returns as
  // soon as the tunnel has settled. A lookup stranded by the change of routes is not shown
  // and not waited for; the rest (the account refresh of the show) gets a short while.
  tunnel::DashboardStatus& dashboard = *home.dashboard();
  if (status() == VpnStatus::connected) {
    session.runUntil([&] { return !dashboard.lookingUpAddress(); }, kEchoLimit);
  }
  session.runUntil(
      [&] { return session.root().requestsInFlight() <= (dashboard.lookingUpAddress() ? 1 : 0); },
      std::chrono::milliseconds(300));
  // The status word follows the tunnel's status on the loop's next turn.
  session.runUntil([] { return false; }, std::chrono::milliseconds(50));
  const auto report = tunnel.report(home);
  emit(global, report.json(), report.line());
  return kExitOk;
}

}  // namespace corvane::cli
