// corvane-backend: see command_line.cpp for the options and backend_server.h for what listens.
#include <signal.h>
#include <sodium.h>
#include <sys/stat.h>

#include <ctime>
#include <iostream>

#include "account_store.h"
#include "advertised_host.h"
#include "backend_log.h"
#include "backend_server.h"
#include "command_line.h"
#include "demo_seed.h"
#include "platform/paths/paths.h"
#include "server_catalogue.h"
#include "tls_material.h"

using namespace corvane::backend;

int main(int argc, char** argv) {
  const ParsedCommandLine parsed = parseCommandLine(argc, argv);
  if (!parsed.options) return parsed.exitCode;
  const BackendOptions& options = *parsed.options;

  // Everything the backend writes (database, keys, log) is private to its user.
  ::umask(077);
  ::signal(SIGPIPE, SIG_IGN);
  // Block the stop signals before any thread starts, so only sigwait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  if (sodium_init() < 0) {
    std::cerr << "corvane-backend: libsodium failed to initialise\n";
    return 1;
  }
  try {
    corvane::platform::ensurePrivateDirectory(options.dataDir);
    auto log = makeBackendLogger(options.dataDir);
    const TlsMaterial tls = ensureTlsMaterial(options.dataDir / "tls");
    std::cout << "CA certificate: " << tls.caCertFile.string() << "\n";

    const auto databaseFile = options.dataDir / "backend.sqlite3";
    AccountStore store(databaseFile, [] { return static_cast<std::int64_t>(std::time(nullptr)); });
    Database catalogueDb(databaseFile);
    const PasswordHasher hasher(options.hashCost);
    if (options.demo) {
      seedDemo(store, catalogueDb, hasher, options.demoServers, tls.caPem);
      std::cout << "Demo account: " << kDemoUsername << " / " << kDemoPassword << "\n";
    }
    const ServerCatalogue catalogue(catalogueDb);

    BackendServer server(options, tls);
    server.bind();
    BackendContext ctx{store, catalogue, hasher, log, options, advertisedHost(options.bind), server.httpsPort(),
                       server.httpPort()};
    server.start(ctx);
    log->info("listening on {} (https {}, http {}), {} servers in the catalogue, data in {}", options.bind,
              server.httpsPort(), server.httpPort(), catalogue.size(), options.dataDir.string());

    std::cout << "READY https=" << server.httpsPort() << " http=" << server.httpPort();
    if (server.testPort()) std::cout << " test=" << *server.testPort();
    std::cout << " ca=" << tls.caCertFile.string() << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    log->info("stopping on signal {}", signal);
    server.stop();
    log->info("stopped");
  } catch (const std::exception& e) {
    std::cerr << "corvane-backend: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
