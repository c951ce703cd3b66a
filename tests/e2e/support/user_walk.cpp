#include "e2e/support/user_walk.h"

namespace corvane::e2e {

std::string UserWalk::prepare(Protocol protocol, const std::string& probeUrl) {
  std::string why;
  site = ProtocolSite::create(protocol, &why);
  if (!site) return why;
  if (!site->startDaemon()) return "the daemon did not start";
  const nlohmann::json catalogue = {{"servers", {site->catalogueServer()}}};
  backend = NamespacedBackend::start(site->clientNamespace(), site->scratch() / "backend", catalogue.dump(), &why);
  if (!backend) return why;
  ctl = std::make_unique<Corvanectl>(withProbe(probeUrl));
  return {};
}

Corvanectl UserWalk::withProbe(const std::string& probeUrl) const {
  return Corvanectl(site->clientNamespace(), site->scratch() / "app-home",
                    {"CORVANE_API_HOST=" + backend->apiHost(), "CORVANE_CA_FILE=" + backend->caFile(),
                     "CORVANE_TUNNELD_SOCKET=" + site->socketPath(), "CORVANE_IP_ECHO_URL=" + site->echoUrl(),
                     "CORVANE_PROBE_URL=" + probeUrl});
}

CtlResult UserWalk::run(const std::vector<std::string>& args, std::string* failure, const std::string& input) const {
  auto result = ctl->run(args, input);
  if (result.exitCode != 0) *failure = result.describe(args) + "--- daemon:\n" + site->daemonLog();
  return result;
}

std::string UserWalk::choose(const std::string& protocolWord, const std::string& serverName) {
  std::string failure;
  const bool done =
      run({"login", "--email", NamespacedBackend::kDemoUser, "--password-stdin"}, &failure,
          std::string(NamespacedBackend::kDemoPassword) + "\n")
              .exitCode == 0 &&
      run({"protocol", protocolWord}, &failure).exitCode == 0 && run({"select", serverName}, &failure).exitCode == 0;
  if (!done) return failure + "--- backend:\n" + backend->log();
  if (!site->provision(*backend, &failure)) return failure;
  return {};
}

}  // namespace corvane::e2e
