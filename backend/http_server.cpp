#include "backend/http_server.h"

namespace corvane::backend {

HttpServer::HttpServer(const ServerLimits& limits, int workers)
    : limits_(limits), workers_(static_cast<std::size_t>(workers)) {}

HttpServer::~HttpServer() { stop(); }

int HttpServer::listen(const std::string& host, int port, const Router& router, boost::asio::ssl::context* tls,
                       const std::string& what) {
  auto listener =
      std::make_shared<HttpListener>(ioc_, host, port, tls, SessionShared{router, limits_, workers_, connections_}, what);
  listeners_.push_back(listener);
  return listener->port();
}

void HttpServer::start(int ioThreads) {
  for (auto& listener : listeners_) listener->start();
  for (int i = 0; i < ioThreads; ++i) ioThreads_.emplace_back([this] { ioc_.run(); });
}

void HttpServer::stop() {
  if (stopped_) return;
  stopped_ = true;
  for (auto& listener : listeners_) listener->stop();
  // Requests with the workers finish; their answers are posted to the loop, which still runs.
  workers_.join();
  ioc_.stop();
  for (auto& t : ioThreads_) {
    if (t.joinable()) t.join();
  }
  ioThreads_.clear();
}

}  // namespace corvane::backend
