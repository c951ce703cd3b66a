#pragma once
// One engine's program, started and watched alike for every engine that runs one: argv only
// (no shell), the program looked up in the run's program folder or the usual PATH of a root
// service, output to /dev/null, a process group of its own; its end is seen on a pidfd from
// the daemon's loop, and reported once.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "daemon/engine/engine_context.h"
#include "daemon/engine/engine_error.h"
#include "platform/mainloop/main_loop.h"
#include "platform/process/process.h"
#include "platform/process/process_exit.h"

namespace corvane::daemon::engines {

class EngineProgram {
 public:
  using ExitCallback = std::function<void(const platform::ProcessExit&)>;

  explicit EngineProgram(const engine::EngineContext& context) : context_(context) {}
  ~EngineProgram() { stop(std::chrono::seconds(0)); }
  EngineProgram(const EngineProgram&) = delete;
  EngineProgram& operator=(const EngineProgram&) = delete;

  // Starts `program` with `args` and extra environment entries; `onExit` runs on the loop when
  // it ends by itself (never after stop()). A program that cannot be found is `missing`.
  std::optional<engine::EngineError> start(const std::string& program, const std::vector<std::string>& args,
                                           const std::vector<std::pair<std::string, std::string>>& environment,
                                           ExitCallback onExit);
  bool started() const { return process_.has_value(); }
  // Whether it still runs; when it has ended, its exit is reported now (once) and false comes back.
  bool checkRunning();
  // Ends it (SIGTERM, then SIGKILL after `grace`) and reaps it; nothing is reported.
  void stop(std::chrono::steady_clock::duration grace);

 private:
  void onReadable();

  const engine::EngineContext& context_;
  std::optional<platform::Process> process_;
  platform::WatchId watch_ = 0;
  ExitCallback onExit_;
};

}  // namespace corvane::daemon::engines
