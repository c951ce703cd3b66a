// Decoding a login answer into User, next to simdjson's bare DOM parse of the same bytes.
//
// The baseline is `dom::parser::parse()` of the whole document: full validation and the tape,
// but no record built. The decoder does that same parse and then walks the tape into User,
// copying every string. Both read the same padded text in place, and both reuse their parser
// between iterations, as a long-running client does. The goal is decoding within 2.5 times
// the bare parse; the ratio is printed after the table.
#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "api/records/record_decoders.h"
#include "common/login_answer.h"

namespace {

using corvane::api::JsonText;
using corvane::api::kJsonPadding;

const std::string& answer(std::size_t servers) {
  static std::map<std::size_t, std::string> cache;
  auto [it, inserted] = cache.try_emplace(servers);
  if (inserted) {
    std::string text = corvane::bench::loginAnswer(servers);
    it->second.reserve(text.size() + kJsonPadding);
    it->second = text;
  }
  return it->second;
}

void BM_BareDomParse(benchmark::State& state) {
  const std::string& text = answer(static_cast<std::size_t>(state.range(0)));
  simdjson::dom::parser parser;
  for (auto _ : state) {
    simdjson::dom::element root;
    if (parser.parse(text.data(), text.size(), false).get(root) != simdjson::SUCCESS) {
      state.SkipWithError("parse failed");
      break;
    }
    benchmark::DoNotOptimize(root);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_DecodeUser(benchmark::State& state) {
  const auto servers = static_cast<std::size_t>(state.range(0));
  const std::string& text = answer(servers);
  for (auto _ : state) {
    auto user = corvane::api::decodeUser(JsonText::withPadding(text));
    if (!user || user->ipBundle->size() != servers) {
      state.SkipWithError("decode failed");
      break;
    }
    benchmark::DoNotOptimize(user);
    // Freeing the record is the caller's business, not decoding: keep it out of the time.
    state.PauseTiming();
    { auto discard = std::move(user); }
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["answer_MB"] = static_cast<double>(text.size()) / 1e6;
}

BENCHMARK(BM_BareDomParse)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeUser)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Keeps the best time per iteration of each benchmark (over repetitions) so the ratios can be
// printed after the table. Both clocks are kept: on a shared machine the wall clock includes
// time spent waiting for a core, and the CPU time is the steadier figure.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      Best& best = best_[run.run_name.str()];
      const double real = run.GetAdjustedRealTime();
      const double cpu = run.GetAdjustedCPUTime();
      if (best.real == 0 || real < best.real) best.real = real;
      if (best.cpu == 0 || cpu < best.cpu) best.cpu = cpu;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void printRatios() const {
    for (const char* servers : {"1000", "10000"}) {
      const auto bare = best_.find(std::string("BM_BareDomParse/") + servers);
      const auto decode = best_.find(std::string("BM_DecodeUser/") + servers);
      if (bare == best_.end() || decode == best_.end()) continue;
      std::printf(
          "%5s servers: decode %.2f ms cpu / %.2f ms wall, bare DOM parse %.2f ms cpu / %.2f ms "
          "wall, ratio %.2f cpu / %.2f wall (goal <= 2.5)\n",
          servers, decode->second.cpu, decode->second.real, bare->second.cpu, bare->second.real,
          decode->second.cpu / bare->second.cpu, decode->second.real / bare->second.real);
    }
  }

 private:
  struct Best {
    double real = 0;
    double cpu = 0;
  };
  std::map<std::string, Best> best_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
