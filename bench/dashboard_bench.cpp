// The dashboard's redraw data: every row (status panel, power image, protocol, address,
// speeds, server, last used server) computed from the preferences and the live traffic, as
// each redraw does. Goal: at most 50 µs per redraw.
//
//   build/bin/dashboard_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include "common/tunnel_models.h"
#include "keys/preference_key.h"
#include "platform/mainloop/manual/manual_loop.h"
#include "platform/mainloop/manual/manual_queue.h"
#include "platform/vpn/test/fake_tunnel_daemon.h"
#include "tunnel/dashboard_status.h"

namespace {

using namespace corvane;

void BM_DashboardRows(benchmark::State& state) {
  platform::ManualLoop loop;
  platform::ManualQueue background(loop);
  platform::FakeTunnelDaemon daemon(loop);
  bench::TunnelModels models(loop, background, daemon);
  auto& p = models.preferences;
  p.set(keys::pref::vpnStatus, std::string("Connected"));
  p.set(keys::pref::wireGuard, true);
  p.set(keys::pref::ipName, std::string("Tokyo #01"));
  p.set(keys::pref::countryCode, std::string("JP"));
  p.set(keys::pref::countryName, std::string("Japan"));
  tunnel::DashboardStatus dashboard(models.services(), *models.core);
  dashboard.currentIpAddress = "203.0.113.7";
  dashboard.commandClient.connect();
  daemon.setStatus(platform::VpnStatus::connected);
  std::int64_t n = 0;
  for (auto _ : state) {
    daemon.emitTraffic({.uplink = 1000 + (n % 100000), .downlink = 2'000'000 + n});
    ++n;
    auto rows = dashboard.rows();
    benchmark::DoNotOptimize(rows);
  }
  loop.runPending();
}
BENCHMARK(BM_DashboardRows);

}  // namespace

BENCHMARK_MAIN();
