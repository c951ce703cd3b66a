// The app's share of a connect, in one run, inside the WireGuard namespace testbed: rounds
// alternate between
//   daemon: a bare socket client sends the start request and waits for the status-3 event;
//   app:    the power button is pressed on a ConnectButton over the tunnel core and the socket
//           client, until "Connected" is stored (what the dashboard shows).
// The difference of the medians is the app's overhead (goal: at most 30 ms). Both clients see
// every event of both kinds of round. The bare client reads each round up to its one final
// "1" (every status change is sent once), so it never meets a stale "3"; the app's loop is
// given a moment before each press to take in the bare round's events, which it would
// otherwise read after the press. Also printed, the two ends of the app round that are the app's
// alone: power press → status 2 heard by the app's socket client (the daemon's own share
// included: it tells 2 once the table is set and the engine's program started), and status 3
// heard → "Connected" stored.
// Needs root and wireguard-go. Usage: tunneld_power_press [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/tunnel_models.h"
#include "daemon/support/tunneld_client.h"
#include "daemon/support/wireguard_testbed.h"
#include "keys/preference_key.h"
#include "platform/mainloop/asio/asio_main_loop.h"
#include "platform/mainloop/asio/global_queue.h"
#include "platform/mainloop/asio/serial_queue.h"
#include "platform/vpn/linux/socket_tunnel_daemon.h"
#include "tunnel/connect_button.h"

using namespace corvane;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

platform::tunneld::Request request(platform::tunneld::Op op) {
  platform::tunneld::Request r;
  r.op = op;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::string whyNot;
  auto bed = daemon::testing::WireGuardTestbed::create(&whyNot);
  if (!bed) {
    std::printf("skipped: %s\n", whyNot.c_str());
    return 0;
  }
  if (!bed->startDaemon()) {
    std::printf("the daemon did not start\n");
    return 1;
  }
  daemon::testing::TunneldClient raw;
  if (!raw.connect(bed->socketPath()) || !raw.call(request(platform::tunneld::Op::subscribe))) {
    std::printf("the daemon does not answer:\n%s\n", bed->daemonLog().c_str());
    return 1;
  }

  // The loop and queue the programs run on, so the figure is the app's, not a test loop's.
  platform::AsioMainLoop loop;
  platform::SerialQueue background(platform::GlobalQueue::shared());
  platform::SocketTunnelDaemon client(loop, platform::Log::null(), bed->socketPath());
  client.subscribe();
  bench::TunnelModels models(loop, background, client);
  tunnelcore::Profile profile;
  profile.id = 12345;
  profile.name = "Corvane";
  profile.path = (models.core->folders.configsDirectory() / "config_1.json").string();
  if (!profile.write(bed->clientConfig()) || !models.core->profiles.create(profile) ||
      !models.core->sharedPreferences.setSelectedProfileID(12345)) {
    std::printf("cannot prepare the profile\n");
    return 1;
  }
  models.preferences.set(keys::pref::initialServerSelected, true);
  models.preferences.set(keys::pref::config, bed->clientConfig());
  // The app's socket client hearing status 2 and 3, before any model does: observers run in
  // the order they were added, and this one comes before the button's.
  Clock::time_point heardConnecting{}, heardConnected{};
  const auto heard = client.observe(
      [&](const platform::TunnelState& state) {
        const bool connecting = state.status == platform::VpnStatus::connecting;
        if (!connecting && state.status != platform::VpnStatus::connected) return;
        auto& at = connecting ? heardConnecting : heardConnected;
        if (at == Clock::time_point{}) at = Clock::now();
      },
      nullptr);
  tunnel::ConnectButton button(models.services(), *models.core);
  const auto word = [&] { return models.preferences.get(keys::pref::vpnStatus).value_or(""); };
  loop.runUntil([&] { return client.state().status == platform::VpnStatus::disconnected; }, 10s);

  std::vector<double> daemonMs, appMs, pressMs, modelMs;
  for (int i = 0; i < rounds; ++i) {
    auto start = request(platform::tunneld::Op::start);
    start.profile = platform::tunneld::Profile{"wireguard", bed->clientConfig(), "bench"};
    const auto t0 = Clock::now();
    if (!raw.call(start) || !raw.waitForStatus(platform::tunneld::kStatusConnected, 30s)) {
      std::printf("round %d: the daemon did not connect\n%s\n", i, bed->daemonLog().c_str());
      return 1;
    }
    daemonMs.push_back(ms(Clock::now() - t0));
    raw.call(request(platform::tunneld::Op::stop));
    raw.waitForStatus(platform::tunneld::kStatusDisconnected, 15s);
    loop.runUntil([&] { return client.state().status == platform::VpnStatus::disconnected; }, 15s);

    loop.runUntil([] { return false; }, 50ms);
    heardConnecting = heardConnected = {};
    const auto t1 = Clock::now();
    button.pressPower();
    if (!loop.runUntil([&] { return word() == "Connected"; }, 30s)) {
      std::printf("round %d: the app did not show Connected\n%s\n", i, bed->daemonLog().c_str());
      return 1;
    }
    const auto shown = Clock::now();
    appMs.push_back(ms(shown - t1));
    pressMs.push_back(ms(heardConnecting - t1));
    modelMs.push_back(ms(shown - heardConnected));
    button.pressPower();
    loop.runUntil([&] { return word() == "Disconnected"; }, 15s);
    raw.waitForStatus(platform::tunneld::kStatusDisconnected, 15s);
  }
  std::printf("rounds %d\n", rounds);
  std::printf("daemon start -> status 3        median %8.2f ms\n", median(daemonMs));
  std::printf("power press -> \"Connected\"     median %8.2f ms\n", median(appMs));
  std::printf("app overhead (difference)       %8.2f ms (goal <= 30 ms)\n", median(appMs) - median(daemonMs));
  std::printf("app side: press -> status 2 heard  median %8.2f ms (the daemon's own start -> 2 included)\n",
              median(pressMs));
  std::printf("app side: status 3 heard -> \"Connected\" stored  median %8.2f ms\n", median(modelMs));
  client.removeObserver(heard);
  return 0;
}
