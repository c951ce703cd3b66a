#pragma once
// Runs a program to its end: input fed on stdin, stdout and stderr collected up to a bound,
// the whole run bounded by a time-out after which the child (and its group) is killed.
#include <chrono>
#include <cstddef>
#include <string>

#include "platform/core/result.h"
#include "platform/process/process_exit.h"
#include "platform/process/process_options.h"

namespace corvane::platform {

struct ProcessRun {
  ProcessExit exit;
  std::string out;
  std::string err;
  bool timedOut = false;   // killed at the time-out
  bool truncated = false;  // more output than the bound; the rest was read and dropped
};

struct RunLimits {
  std::chrono::steady_clock::duration timeout = std::chrono::seconds(60);
  std::size_t outputLimit = 16 * 1024 * 1024;  // per stream
};

// `options`' three standard streams are replaced by pipes. Input and output move together
// through one poll loop, so a child that writes much before reading cannot stall the run.
// Output stops being collected when the child ends, even if something it started still
// holds the pipes open. Fails only when the program cannot be started.
Result<ProcessRun> runProcess(ProcessOptions options, const std::string& input = {}, RunLimits limits = {});

}  // namespace corvane::platform
