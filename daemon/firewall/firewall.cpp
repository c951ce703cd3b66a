#include "daemon/firewall/firewall.h"

#include <fmt/format.h>

#include "daemon/firewall/nft_ruleset.h"
#include "platform/process/process_environment.h"
#include "platform/process/process_run.h"

namespace corvane::daemon::firewall {

Result<void> Firewall::apply(const FirewallPolicy& policy) {
  auto done = run(nftRuleset(policy));
  if (done) active_ = true;
  return done;
}

Result<void> Firewall::clear() {
  auto done = run(nftRemoval());
  if (done) active_ = false;
  return done;
}

Result<void> Firewall::run(const std::string& ruleset) {
  platform::ProcessOptions options;
  options.argv = {programDir_.empty() ? std::string("nft") : (programDir_ / "nft").string(), "-f", "-"};
  auto environment = platform::ProcessEnvironment::current();
  if (environment.find("PATH") == nullptr) environment.set("PATH", "/usr/sbin:/usr/bin:/sbin:/bin");
  options.environment = environment.entries();
  platform::RunLimits limits;
  limits.timeout = std::chrono::seconds(10);
  limits.outputLimit = 64 * 1024;
  auto result = platform::runProcess(std::move(options), ruleset, limits);
  if (!result) return Error("Firewall", result.error().code, fmt::format("nft cannot be run: {}", result.error().description));
  if (!result->exit.success()) {
    return Error("Firewall", result->exit.shellCode(),
                 fmt::format("nft refused the ruleset ({}): {}", result->exit.describe(), result->err.substr(0, 400)));
  }
  return Result<void>::success();
}

}  // namespace corvane::daemon::firewall
