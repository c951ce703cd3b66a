#include "platform/process/process_exit.h"

#include <cstring>

namespace corvane::platform {

std::string ProcessExit::describe() const {
  if (signal != 0) return "killed by signal " + std::to_string(signal) + " (" + ::strsignal(signal) + ")";
  if (code < 0) return "ended, status unknown (reaped elsewhere)";
  return "exit code " + std::to_string(code);
}

}  // namespace corvane::platform
