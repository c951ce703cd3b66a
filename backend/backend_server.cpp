#include "backend_server.h"

#include <chrono>
#include <stdexcept>

#include "account_routes.h"
#include "bounded_task_queue.h"
#include "json_reply.h"
#include "public_routes.h"
#include "service_routes.h"
#include "test_routes.h"

namespace corvane::backend {
namespace {

int bindOne(httplib::Server& server, const std::string& host, int port, const char* what) {
  if (port == 0) {
    const int chosen = server.bind_to_any_port(host);
    if (chosen > 0) return chosen;
  } else if (server.bind_to_port(host, port)) {
    return port;
  }
  throw std::runtime_error(std::string("cannot listen for ") + what + " on " + host + ":" + std::to_string(port));
}

const char* reasonFor(int status) {
  switch (status) {
    case 400: return "The request is malformed.";
    case 404: return "There is nothing at this address.";
    case 405: return "This address does not take that method.";
    case 413: return "The request body is too large.";
    case 414: return "The request address is too long.";
    default: return status >= 500 ? "The server could not complete the request." : "The request was refused.";
  }
}

}  // namespace

BackendServer::BackendServer(const BackendOptions& options, const TlsMaterial& tls)
    : options_(options), https_(tls.serverCertFile.c_str(), tls.serverKeyFile.c_str()) {
  if (!https_.is_valid()) throw std::runtime_error("the HTTPS listener cannot load its certificate or key");
  if (options_.testPort) test_ = std::make_unique<httplib::Server>();
}

BackendServer::~BackendServer() { stop(); }

void BackendServer::bind() {
  httpsPort_ = bindOne(https_, options_.bind, options_.httpsPort, "HTTPS");
  httpPort_ = bindOne(http_, options_.bind, options_.httpPort, "HTTP");
  if (test_) testPort_ = bindOne(*test_, "127.0.0.1", *options_.testPort, "the test endpoint");
}

void BackendServer::configure(httplib::Server& server, BackendContext* ctx) {
  const auto threads = static_cast<size_t>(options_.threads);
  server.new_task_queue = [threads] { return new BoundedTaskQueue(threads, threads * 16); };
  server.set_payload_max_length(options_.maxBodyBytes);
  server.set_read_timeout(10, 0);
  server.set_write_timeout(10, 0);
  // Every refusal, including the ones the HTTP layer makes itself (413, 404), carries a JSON
  // message, so clients and people see why.
  server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty()) replyJson(res, {{"message", reasonFor(res.status)}}, res.status);
  });
  server.set_exception_handler([ctx](const httplib::Request& req, httplib::Response& res, std::exception_ptr ep) {
    try {
      std::rethrow_exception(ep);
    } catch (const std::exception& e) {
      ctx->log->error("{} {}: {}", req.method, req.path, e.what());
    } catch (...) {
      ctx->log->error("{} {}: unknown failure", req.method, req.path);
    }
    replyJson(res, {{"message", reasonFor(500)}}, 500);
  });
}

void BackendServer::start(BackendContext& ctx) {
  configure(https_, &ctx);
  configure(http_, &ctx);
  registerHttpsInfoRoutes(https_, ctx);
  registerCommonRoutes(https_, ctx);
  registerCommonRoutes(http_, ctx);
  registerAccountRoutes(http_, ctx);
  registerServiceRoutes(http_, ctx);
  threads_.emplace_back([this] { https_.listen_after_bind(); });
  threads_.emplace_back([this] { http_.listen_after_bind(); });
  if (test_) {
    configure(*test_, &ctx);
    registerTestRoutes(*test_, ctx);
    threads_.emplace_back([this] { test_->listen_after_bind(); });
  }
  // Report ready only once every listener accepts; a stop() before that point would also be
  // lost, since httplib ignores stop() on a server that is not running yet. Bounded: 10 s.
  for (int i = 0; i < 10000; ++i) {
    if (https_.is_running() && http_.is_running() && (!test_ || test_->is_running())) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  throw std::runtime_error("the listeners did not start");
}

void BackendServer::stop() {
  https_.stop();
  http_.stop();
  if (test_) test_->stop();
  for (auto& t : threads_) {
    if (t.joinable()) t.join();
  }
  threads_.clear();
}

}  // namespace corvane::backend
