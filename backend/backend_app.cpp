#include "backend/backend_app.h"

#include <signal.h>
#include <sodium.h>
#include <sys/resource.h>

#include <ctime>
#include <iostream>

#include "backend/abuse_limits.h"
#include "backend/account_store.h"
#include "backend/advertised_host.h"
#include "backend/backend_log.h"
#include "backend/backend_server.h"
#include "backend/catalogue_file.h"
#include "backend/demo_seed.h"
#include "backend/server_catalogue.h"
#include "backend/tls_material.h"
#include "platform/paths/paths.h"

namespace corvane::backend {
namespace {

std::string randomSecret() {
  unsigned char bytes[32];
  randombytes_buf(bytes, sizeof bytes);
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// Each connection is a descriptor; the usual soft limit of 1024 would turn a burst of clients
// into failed accepts long before --max-connections.
void raiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

}  // namespace

int runBackend(const BackendOptions& options) {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  raiseDescriptorLimit();
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
    auto clock = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
    AccountStore store(databaseFile, clock);
    Database catalogueDb(databaseFile);
    const PasswordHasher hasher(options.hashCost);
    if (options.demo) {
      seedDemo(store, catalogueDb, hasher, options.demoServers, tls.caPem);
      std::cout << "Demo account: " << kDemoUsername << " / " << kDemoPassword << "\n";
    }
    // Read (and validated) in full before anything is replaced, so a faulty file keeps the
    // stored catalogue.
    if (!options.catalogueFile.empty()) ServerCatalogue::replace(catalogueDb, readCatalogueFile(options.catalogueFile));
    const ServerCatalogue catalogue(catalogueDb);

    AbuseLimitPolicies policies;
    policies.loginFailuresPerAddress.maxEvents = options.loginFailuresPerAddress;
    AbuseLimits limits(policies, clock);

    BackendServer server(options, tls, log);
    server.bind();
    BackendContext ctx{store,      catalogue,          hasher, log, options, advertisedHost(options.bind),
                       server.httpsPort(), server.httpPort(), limits, randomSecret()};
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

}  // namespace corvane::backend
