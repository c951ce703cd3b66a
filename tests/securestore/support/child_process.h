#pragma once
// Starting the programs of build/bin from tests: in the background (to kill or to race), or
// to completion with a given stdin and captured output. Every wait is bounded.
#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace corvane::testing {

// build/bin/<name>
std::string programPath(const std::string& name);

// Starts `program` with `args`; the environment is this process's plus `environment`.
pid_t spawnProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& environment = {});

// The exit code, 128 + signal for a killed child, or -1 when it did not end within `limit`
// (it is then killed).
int waitForExit(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(60));

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `program` to its end, feeding `input` on stdin and collecting stdout and stderr.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input,
                      const std::map<std::string, std::string>& environment = {},
                      std::chrono::milliseconds limit = std::chrono::seconds(60));

}  // namespace corvane::testing
