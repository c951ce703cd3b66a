#include "daemon/dns/resolved_dns.h"

#include <fmt/format.h>

#include "platform/process/process_run.h"

namespace corvane::daemon::dns {

bool ResolvedDns::managesResolvConf(const std::filesystem::path& resolvConf) {
  std::error_code error;
  if (!std::filesystem::is_symlink(resolvConf, error)) return false;
  auto target = std::filesystem::read_symlink(resolvConf, error).string();
  return target.find("/run/systemd/resolve/") != std::string::npos;
}

Result<void> ResolvedDns::apply(const DnsSettings& settings) {
  if (settings.servers.empty()) return Result<void>::success();
  if (settings.interfaceName.empty()) {
    return Error("Dns", 0, "systemd-resolved takes DNS servers per link, and this tunnel has no link");
  }
  interface_ = settings.interfaceName;
  std::vector<std::string> dns = {"dns", interface_};
  dns.insert(dns.end(), settings.servers.begin(), settings.servers.end());
  if (auto done = resolvectl(dns); !done) return done;
  std::vector<std::string> domains = {"domain", interface_, "~."};
  domains.insert(domains.end(), settings.searchDomains.begin(), settings.searchDomains.end());
  if (auto done = resolvectl(domains); !done) return done;
  return resolvectl({"default-route", interface_, "true"});
}

Result<void> ResolvedDns::restore() {
  if (interface_.empty()) return Result<void>::success();
  auto done = resolvectl({"revert", interface_});
  interface_.clear();
  return done;
}

Result<void> ResolvedDns::resolvectl(std::vector<std::string> arguments) {
  platform::ProcessOptions options;
  options.argv = {"resolvectl"};
  options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
  platform::RunLimits limits;
  limits.timeout = std::chrono::seconds(5);
  auto run = platform::runProcess(std::move(options), {}, limits);
  if (!run) return Error("Dns", run.error().code, run.error().description);
  if (!run->exit.success()) {
    return Error("Dns", run->exit.shellCode(), fmt::format("resolvectl {} failed: {}", arguments.front(), run->err.substr(0, 200)));
  }
  return Result<void>::success();
}

}  // namespace corvane::daemon::dns
