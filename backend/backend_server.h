#pragma once
// The listeners: HTTPS (link table, announcements, domain source, IP echo, and the JSON API as
// well with --api-tls), plain HTTP (the JSON API, domain source, IP echo, captive probe) and,
// when asked for, the loopback-only test listener. All share one HttpServer: one event loop
// for the connections and a fixed pool of request workers.
#include <spdlog/logger.h>

#include <memory>
#include <optional>

#include <boost/asio/ssl/context.hpp>

#include "backend/backend_context.h"
#include "backend/backend_options.h"
#include "backend/http_server.h"
#include "backend/router.h"
#include "backend/tls_material.h"

namespace corvane::backend {

class BackendServer {
 public:
  BackendServer(const BackendOptions& options, const TlsMaterial& tls, std::shared_ptr<spdlog::logger> log);
  ~BackendServer();

  // Binds every listener; port 0 picks a free port. Throws std::runtime_error on failure.
  void bind();
  int httpsPort() const { return httpsPort_; }
  int httpPort() const { return httpPort_; }
  std::optional<int> testPort() const { return testPort_; }

  // Registers the routes over `ctx` (which must outlive the server) and starts serving.
  void start(BackendContext& ctx);
  // Stops accepting, lets running requests finish, and joins the threads.
  void stop();

 private:
  BackendOptions options_;
  std::unique_ptr<boost::asio::ssl::context> tls_;
  Router httpsRoutes_;
  Router httpRoutes_;
  Router testRoutes_;
  HttpServer server_;
  int httpsPort_ = 0;
  int httpPort_ = 0;
  std::optional<int> testPort_;
};

// The limits the options ask for.
ServerLimits serverLimits(const BackendOptions& options);

}  // namespace corvane::backend
