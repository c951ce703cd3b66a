#pragma once
// The one place a child program is created: posix_spawn (vfork and execve inside glibc), which
// stays safe in a process with threads where fork() is not, and reports a failed exec as an
// error instead of a child that exits 127.
#include <sys/types.h>

#include <array>
#include <string>

#include "platform/core/result.h"
#include "platform/process/process_options.h"

namespace corvane::platform {

struct SpawnedChild {
  pid_t pid = -1;
  std::array<int, 3> parentEnds{-1, -1, -1};  // the parent's end of each piped stream
};

// Starts `options.argv` from the resolved `programPath`. On failure nothing is left open.
Result<SpawnedChild> spawnChild(const ProcessOptions& options, const std::string& programPath);

}  // namespace corvane::platform
