#include "daemon/engines/transparent/nft_command.h"

#include <fmt/format.h>

#include "platform/process/process_environment.h"
#include "platform/process/process_run.h"

namespace corvane::daemon::engines::transparent {

Result<std::string> runNft(std::vector<std::string> args, const std::string& input) {
  platform::ProcessOptions options;
  options.argv = {"nft"};
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  auto environment = platform::ProcessEnvironment::current();
  if (environment.find("PATH") == nullptr) environment.set("PATH", "/usr/sbin:/usr/bin:/sbin:/bin");
  options.environment = environment.entries();
  platform::RunLimits limits;
  limits.timeout = std::chrono::seconds(10);
  limits.outputLimit = 256 * 1024;
  auto result = platform::runProcess(std::move(options), input, limits);
  if (!result) return Error("Transparent", result.error().code, fmt::format("nft cannot be run: {}", result.error().description));
  if (!result->exit.success()) {
    return Error("Transparent", result->exit.shellCode(),
                 fmt::format("nft failed ({}): {}", result->exit.describe(), result->err.substr(0, 400)));
  }
  return result->out;
}

}  // namespace corvane::daemon::engines::transparent
