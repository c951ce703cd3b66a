#include "backend/backend_server.h"

#include "backend/account_routes.h"
#include "backend/public_routes.h"
#include "backend/service_routes.h"
#include "backend/test_routes.h"
#include "backend/tls_server_context.h"

namespace corvane::backend {
namespace {

// Connections only wait on the network here; the workers do the real work, so two loop
// threads keep up with any number of clients on this scale.
constexpr int kIoThreads = 2;

}  // namespace

ServerLimits serverLimits(const BackendOptions& options) {
  ServerLimits limits;
  limits.maxBodyBytes = options.maxBodyBytes;
  limits.requestDeadline = std::chrono::milliseconds(options.requestDeadlineMs);
  limits.maxConnections = options.maxConnections;
  return limits;
}

BackendServer::BackendServer(const BackendOptions& options, const TlsMaterial& tls,
                             std::shared_ptr<spdlog::logger> log)
    : options_(options),
      tls_(makeTlsServerContext(tls)),
      httpsRoutes_(log),
      httpRoutes_(log),
      testRoutes_(log),
      server_(serverLimits(options), options.threads) {}

BackendServer::~BackendServer() { stop(); }

void BackendServer::bind() {
  httpsPort_ = server_.listen(options_.bind, options_.httpsPort, httpsRoutes_, tls_.get(), "HTTPS");
  httpPort_ = server_.listen(options_.bind, options_.httpPort, httpRoutes_, nullptr, "HTTP");
  // Always loopback, whatever --bind says: a separate loopback socket cannot be reached from
  // another host even when the API is exposed.
  if (options_.testPort) testPort_ = server_.listen("127.0.0.1", *options_.testPort, testRoutes_, nullptr, "the test endpoint");
}

void BackendServer::start(BackendContext& ctx) {
  registerHttpsInfoRoutes(httpsRoutes_, ctx);
  registerCommonRoutes(httpsRoutes_, ctx);
  registerCommonRoutes(httpRoutes_, ctx);
  registerAccountRoutes(httpRoutes_, ctx);
  registerServiceRoutes(httpRoutes_, ctx);
  if (options_.apiOverTls) {
    registerAccountRoutes(httpsRoutes_, ctx);
    registerServiceRoutes(httpsRoutes_, ctx);
  }
  if (testPort_) registerTestRoutes(testRoutes_, ctx);
  server_.start(kIoThreads);
}

void BackendServer::stop() { server_.stop(); }

}  // namespace corvane::backend
