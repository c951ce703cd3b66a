#pragma once
// The listeners: HTTPS (link table, announcements, domain source, IP echo), plain HTTP (the
// JSON API, domain source, IP echo, captive probe) and, when asked for, the loopback-only test
// listener. Each runs on its own thread with a fixed pool of request workers.
#include <httplib.h>

#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "backend_context.h"
#include "backend_options.h"
#include "tls_material.h"

namespace corvane::backend {

class BackendServer {
 public:
  BackendServer(const BackendOptions& options, const TlsMaterial& tls);
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
  void configure(httplib::Server& server, BackendContext* ctx);

  BackendOptions options_;
  httplib::SSLServer https_;
  httplib::Server http_;
  std::unique_ptr<httplib::Server> test_;
  int httpsPort_ = 0;
  int httpPort_ = 0;
  std::optional<int> testPort_;
  std::vector<std::thread> threads_;
};

}  // namespace corvane::backend
