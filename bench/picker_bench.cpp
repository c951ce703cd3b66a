// The server picker's cost per keystroke: filtering and grouping a 10,000-server catalogue
// (60 countries, all four protocols) for three-letter searches, and rebuilding the index
// after a catalogue refresh. Goal: at most 20 µs per keystroke at the median.
//
//   build/bin/picker_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "servers/flag_table.h"
#include "servers/server_catalogue.h"

namespace {

using corvane::api::IPBundle;
using corvane::servers::ServerCatalogue;
using corvane::servers::VpnProtocol;

// 60 country names with accents, upper and lower case, as catalogues carry them.
const std::vector<std::string>& countryNames() {
  static const std::vector<std::string> names = {
      "Germany", "Nigeria", "TÜRKIYE", "France", "Brazil", "Japan", "Canada", "Mexico",
      "Argentina", "Australia", "Austria", "Belgium", "Bulgaria", "Chile", "China", "Colombia",
      "Croatia", "Cyprus", "Czech Republic", "Denmark", "Egypt", "Estonia", "Finland", "Greece",
      "Hong Kong", "Hungary", "Iceland", "India", "Indonesia", "Ireland", "Israel", "Italy",
      "Kenya", "Latvia", "Lithuania", "Luxembourg", "Malaysia", "Moldova", "Morocco",
      "Netherlands", "New Zealand", "Norway", "Pakistan", "Peru", "Philippines", "Poland",
      "Portugal", "Romania", "Serbia", "Singapore", "Slovakia", "Slovenia", "South Africa",
      "Spain", "Sweden", "Switzerland", "Thailand", "Ukraine", "United Kingdom", "Côte d'Ivoire"};
  return names;
}

std::vector<IPBundle> makeCatalogue(std::size_t count, unsigned seed) {
  const auto codes = corvane::servers::FlagTable::builtinEntries();
  std::mt19937 random(seed);
  const std::int64_t types[] = {5, 1, 6, 4, 7};
  std::vector<IPBundle> servers(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t country = random() % countryNames().size();
    IPBundle& s = servers[i];
    s.countryName = countryNames()[country];
    s.countryCode = std::string(codes[country].countryCode);
    s.type = types[random() % 5];
    s.ipName = *s.countryName + " " + std::to_string(i);
    s.ip = "127.0." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 2);
    s.vpnServerID = static_cast<std::int64_t>(i);
    s.ipID = static_cast<std::int64_t>(i);
  }
  return servers;
}

// Three-letter searches as typed: "g", "ge", "ger", ... each keystroke re-filters.
const std::vector<std::string> kKeystrokes = {"g",  "ge",  "ger", "t",  "tü", "tür",
                                              "s",  "sw",  "swe", "l",  "la", "lan",
                                              "A",  "AN",  "ANA", "c",  "cô", "côt"};

void BM_Keystroke(benchmark::State& state) {
  const ServerCatalogue catalogue(makeCatalogue(10'000, 1));
  const auto protocol = static_cast<VpnProtocol>(state.range(0));
  std::size_t i = 0;
  std::size_t shown = 0;
  for (auto _ : state) {
    const auto sections = catalogue.sections(protocol, kKeystrokes[i++ % kKeystrokes.size()]);
    for (const auto& section : sections) shown += section.serverIndices.size();
    benchmark::DoNotOptimize(sections.data());
  }
  state.counters["servers_shown_per_keystroke"] =
      benchmark::Counter(static_cast<double>(shown) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Keystroke)
    ->ArgName("protocol")
    ->Arg(static_cast<int>(VpnProtocol::wireGuard))
    ->Arg(static_cast<int>(VpnProtocol::openVpn))
    ->Arg(static_cast<int>(VpnProtocol::shadowsocks))
    ->Arg(static_cast<int>(VpnProtocol::v2ray))
    ->Unit(benchmark::kMicrosecond);

void BM_EmptySearchAllProtocols(benchmark::State& state) {
  const ServerCatalogue catalogue(makeCatalogue(10'000, 1));
  for (auto _ : state) {
    auto sections = catalogue.sections(std::nullopt, "");
    benchmark::DoNotOptimize(sections.data());
  }
}
BENCHMARK(BM_EmptySearchAllProtocols)->Unit(benchmark::kMicrosecond);

// A catalogue refresh: the login answer's servers replace the list and the index is rebuilt.
void BM_RebuildAfterRefresh(benchmark::State& state) {
  const auto fresh = makeCatalogue(10'000, 2);
  for (auto _ : state) {
    state.PauseTiming();
    auto copy = fresh;
    state.ResumeTiming();
    ServerCatalogue catalogue(std::move(copy));
    benchmark::DoNotOptimize(&catalogue);
  }
}
BENCHMARK(BM_RebuildAfterRefresh)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
