#include "e2e/support/corvanectl.h"

#include "daemon/support/wireguard_testbed.h"
#include "platform/process/process_environment.h"
#include "platform/process/process_run.h"

namespace corvane::e2e {

std::string CtlResult::describe(const std::vector<std::string>& args) const {
  std::string text = "corvanectl";
  for (const auto& arg : args) text += " " + arg;
  return text + ": exit " + std::to_string(exitCode) + "\n--- stdout:\n" + out + "--- stderr:\n" + err;
}

Corvanectl::Corvanectl(std::string netns, std::filesystem::path home, std::vector<std::string> environment)
    : netns_(std::move(netns)), environment_(std::move(environment)) {
  std::filesystem::create_directories(home);
  environment_.push_back("CORVANE_HOME=" + home.string());
}

CtlResult Corvanectl::run(const std::vector<std::string>& args, const std::string& input, int timeoutSeconds) const {
  platform::ProcessOptions options;
  options.argv = {"ip", "netns", "exec", netns_, (daemon::testing::WireGuardTestbed::binDir() / "corvanectl").string()};
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  auto env = platform::ProcessEnvironment::current();
  for (const auto& entry : environment_) {
    const auto equals = entry.find('=');
    env.set(entry.substr(0, equals), entry.substr(equals + 1));
  }
  options.environment = env.entries();
  options.newProcessGroup = true;
  platform::RunLimits limits;
  limits.timeout = std::chrono::seconds(timeoutSeconds);
  CtlResult result;
  auto ran = platform::runProcess(std::move(options), input, limits);
  if (!ran) {
    result.err = ran.error().toString();
    return result;
  }
  result.exitCode = ran->timedOut ? -1 : ran->exit.shellCode();
  result.out = ran->out;
  result.err = ran->err;
  result.json = nlohmann::json::parse(result.out, nullptr, /*allow_exceptions=*/false);
  if (result.json.is_discarded()) result.json = nullptr;
  return result;
}

}  // namespace corvane::e2e
