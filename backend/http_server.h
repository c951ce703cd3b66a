#pragma once
// The HTTP layer of the backend: one Asio event loop (a couple of I/O threads) carries every
// connection of every listener, with the limits of ServerLimits, and a fixed pool of workers
// runs the route handlers. A thousand idle or slow clients cost a thousand small buffers, not
// a thousand threads, and cannot take the workers away from real requests.
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/thread_pool.hpp>

#include "backend/http_listener.h"
#include "backend/router.h"
#include "backend/server_limits.h"

namespace corvane::backend {

class HttpServer {
 public:
  HttpServer(const ServerLimits& limits, int workers);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds a listener now and serves `router` (which must outlive the server) once started.
  // `tls` null means plain HTTP. Returns the port; throws std::runtime_error on failure.
  int listen(const std::string& host, int port, const Router& router, boost::asio::ssl::context* tls,
             const std::string& what);
  void start(int ioThreads);
  // Stops accepting, lets requests already with the workers finish, and joins every thread.
  void stop();

 private:
  ServerLimits limits_;
  std::atomic<std::size_t> connections_{0};
  boost::asio::thread_pool workers_;
  boost::asio::io_context ioc_;
  std::vector<std::shared_ptr<HttpListener>> listeners_;
  std::vector<std::thread> ioThreads_;
  bool stopped_ = false;
};

}  // namespace corvane::backend
