#pragma once
// Starting the project's programs from tests: a finished run with its output, or a running
// child whose stdout the test reads as it goes. Header-only over the process helper, so every
// test program can use it.
#include <poll.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "corvane/build_config.h"
#include "platform/process/process.h"
#include "platform/process/process_environment.h"
#include "platform/process/process_run.h"

namespace corvane::testing {

inline std::filesystem::path programPath(const std::string& name) {
  return std::filesystem::path(build::kBinaryDir) / name;
}

// The current environment with `overrides` ("NAME=value") replacing or adding entries.
inline std::vector<std::string> environmentWith(const std::vector<std::string>& overrides) {
  auto environment = platform::ProcessEnvironment::current();
  for (const std::string& entry : overrides) {
    const auto equals = entry.find('=');
    environment.set(entry.substr(0, equals), equals == std::string::npos ? "" : entry.substr(equals + 1));
  }
  return environment.entries();
}

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs argv[0] to completion with `input` on stdin. Output is collected as it comes, so a
// chatty program cannot fill a pipe and stall; a run past two minutes is killed. `scratch` is
// kept for callers that pass it and no longer used.
inline ProgramRun runProgram(std::vector<std::string> argv, const std::string& input,
                             const std::vector<std::string>& env,
                             [[maybe_unused]] const std::filesystem::path& scratch = {}) {
  platform::ProcessOptions options;
  options.argv = std::move(argv);
  options.environment = environmentWith(env);
  auto run = platform::runProcess(std::move(options), input, {std::chrono::minutes(2), 64 << 20});
  if (!run) throw std::runtime_error(run.error().description);
  return ProgramRun{run->exit.shellCode(), std::move(run->out), std::move(run->err)};
}

// A running child whose stdout is a pipe the test reads.
class RunningChild {
 public:
  RunningChild(std::vector<std::string> argv, const std::vector<std::string>& env = {}) {
    platform::ProcessOptions options;
    options.argv = std::move(argv);
    options.environment = environmentWith(env);
    options.stdoutStream = platform::ChildStream::piped();
    auto started = platform::Process::start(std::move(options));
    if (!started) throw std::runtime_error(started.error().description);
    process_.emplace(std::move(*started));
  }

  pid_t pid() const { return process_->pid(); }
  int stdoutFd() const { return process_->stdoutFd(); }

  // Waits (at most two minutes) for the child to end, after sending `signal` when it is not
  // zero; its exit code, or 128 + the signal.
  int finish(int signal = 0) {
    if (signal != 0) process_->signal(signal);
    return process_->waitOrKill(std::chrono::minutes(2)).shellCode();
  }

  // Everything left in the pipe, up to end of file (the child has ended).
  std::string drain() {
    std::string all;
    while (auto chunk = process_->readSome(platform::Process::Stream::out)) {
      if (chunk->empty()) {
        pollfd p{stdoutFd(), POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) break;
        continue;
      }
      all += *chunk;
    }
    return all;
  }

 private:
  std::optional<platform::Process> process_;
};

}  // namespace corvane::testing
