#pragma once
// Runs a program for a test (no shell), optionally inside a network namespace, and gives its
// output. Bounded by a time-out.
#include <string>
#include <vector>

namespace corvane::daemon::testing {

struct CommandResult {
  bool ok = false;
  std::string out;
  std::string err;
};

CommandResult run(std::vector<std::string> argv, const std::string& input = {}, int timeoutSeconds = 20);
CommandResult runIn(const std::string& netns, std::vector<std::string> argv, const std::string& input = {},
                    int timeoutSeconds = 20);
bool haveProgram(const std::string& name);

}  // namespace corvane::daemon::testing
