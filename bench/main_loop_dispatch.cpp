// Dispatch costs of the loops and queues: tasks per second through the Asio main loop and a
// serial queue, and the manual loop's cost of running N timers in virtual time.
//   build/bin/main_loop_dispatch
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>
#include <random>

#include "platform/mainloop/asio/asio_main_loop.h"
#include "platform/mainloop/asio/global_queue.h"
#include "platform/mainloop/asio/serial_queue.h"
#include "platform/mainloop/manual/manual_loop.h"

namespace {

using namespace corvane::platform;

void BM_AsioMainLoopPost(benchmark::State& state) {
  AsioMainLoop loop;
  const int batch = static_cast<int>(state.range(0));
  for (auto _ : state) {
    int ran = 0;
    for (int i = 0; i < batch; ++i) {
      loop.post([&ran] { ++ran; });
    }
    loop.runUntil([&] { return ran == batch; }, seconds(60));
  }
  state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_AsioMainLoopPost)->Arg(1000);

void BM_SerialQueueAsync(benchmark::State& state) {
  GlobalQueue pool(2);
  SerialQueue queue(pool);
  const int batch = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::mutex mutex;
    std::condition_variable done;
    int ran = 0;
    for (int i = 0; i < batch; ++i) {
      queue.async([&] {
        if (++ran == batch) {
          std::lock_guard lock(mutex);
          done.notify_one();
        }
      });
    }
    std::unique_lock lock(mutex);
    done.wait_for(lock, std::chrono::seconds(60), [&] { return ran == batch; });
  }
  state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_SerialQueueAsync)->Arg(1000);

void BM_ManualLoopAdvance(benchmark::State& state) {
  const int timers = static_cast<int>(state.range(0));
  std::mt19937 random(42);
  std::uniform_int_distribution<int> delayMs(0, 10'000);
  for (auto _ : state) {
    ManualLoop loop;
    int ran = 0;
    for (int i = 0; i < timers; ++i) {
      loop.postAfter(std::chrono::milliseconds(delayMs(random)), [&ran] { ++ran; });
    }
    loop.advance(seconds(10));
    benchmark::DoNotOptimize(ran);
  }
  state.SetItemsProcessed(state.iterations() * timers);
  state.SetComplexityN(timers);
}
BENCHMARK(BM_ManualLoopAdvance)->Range(100, 10'000)->Complexity();

}  // namespace

BENCHMARK_MAIN();
