#pragma once
#include <optional>

#include "backend/backend_options.h"

namespace corvane::backend {

// Parses argv into options. On --help, or on a usage error, prints what CLI11 prints and
// returns the process exit code to use (0 or 2) instead of options.
struct ParsedCommandLine {
  std::optional<BackendOptions> options;
  int exitCode = 0;
};
ParsedCommandLine parseCommandLine(int argc, char** argv);

}  // namespace corvane::backend
