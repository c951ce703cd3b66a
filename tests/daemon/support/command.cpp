#include "daemon/support/command.h"

#include <unistd.h>

#include "platform/process/process_run.h"
#include "platform/process/program_lookup.h"

namespace corvane::daemon::testing {

CommandResult run(std::vector<std::string> argv, const std::string& input, int timeoutSeconds) {
  platform::ProcessOptions options;
  options.argv = std::move(argv);
  platform::RunLimits limits;
  limits.timeout = std::chrono::seconds(timeoutSeconds);
  auto result = platform::runProcess(std::move(options), input, limits);
  if (!result) return {false, {}, result.error().description};
  return {result->exit.success() && !result->timedOut, result->out, result->err};
}

CommandResult runIn(const std::string& netns, std::vector<std::string> argv, const std::string& input, int timeoutSeconds) {
  std::vector<std::string> full = {"ip", "netns", "exec", netns};
  full.insert(full.end(), argv.begin(), argv.end());
  return run(std::move(full), input, timeoutSeconds);
}

bool haveProgram(const std::string& name) {
  const char* path = getenv("PATH");
  std::string search = std::string(path ? path : "") + ":/usr/sbin:/sbin";
  return platform::lookUpProgram(name, search).ok();
}

}  // namespace corvane::daemon::testing
