#pragma once
// corvanectl as a user runs it, a black box: its own program inside the test's client
// namespace, a home of its own, the addresses given as environment variables, and secrets
// only ever on standard input (never in argv).
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace corvane::e2e {

struct CtlResult {
  int exitCode = -1;  // the shell's convention: 128 + signal when killed
  std::string out;
  std::string err;
  // stdout parsed, when the command ran with --json and printed one object; null otherwise.
  nlohmann::json json;
  // "corvanectl ARGS: exit N\nstdout\nstderr", for failure messages.
  std::string describe(const std::vector<std::string>& args) const;
};

class Corvanectl {
 public:
  // `environment`: "NAME=value" entries added to this process's own.
  Corvanectl(std::string netns, std::filesystem::path home, std::vector<std::string> environment);

  // Runs one command to its end (killed after `timeoutSeconds`).
  CtlResult run(const std::vector<std::string>& args, const std::string& input = {}, int timeoutSeconds = 90) const;

 private:
  std::string netns_;
  std::vector<std::string> environment_;
};

}  // namespace corvane::e2e
