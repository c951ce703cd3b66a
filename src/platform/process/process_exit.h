#pragma once
// How a child ended: an exit code, or the signal that killed it.
#include <string>

namespace corvane::platform {

struct ProcessExit {
  int code = -1;   // the exit code, or -1 when a signal ended the child
  int signal = 0;  // the signal that ended it, or 0

  static ProcessExit exited(int exitCode) { return {exitCode, 0}; }
  static ProcessExit killed(int bySignal) { return {-1, bySignal}; }

  bool success() const { return signal == 0 && code == 0; }
  // The shell's convention: the code, or 128 + the signal.
  int shellCode() const { return signal != 0 ? 128 + signal : code; }
  // "exit code 3" or "killed by signal 9 (Killed)".
  std::string describe() const;

  friend bool operator==(const ProcessExit&, const ProcessExit&) = default;
};

}  // namespace corvane::platform
