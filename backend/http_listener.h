#pragma once
// One listening socket. Accepts on the event loop and starts a session per connection, plain
// or TLS. The backlog is the system's largest (SOMAXCONN), so a burst of connections waits in
// the kernel instead of being refused.
#include <memory>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>

#include "backend/session_shared.h"

namespace corvane::backend {

class HttpListener : public std::enable_shared_from_this<HttpListener> {
 public:
  // Binds `host`:`port` (0 picks a free port) and listens. `tls` null means plain HTTP.
  // Throws std::runtime_error naming `what` when the address cannot be taken.
  HttpListener(boost::asio::io_context& ioc, const std::string& host, int port, boost::asio::ssl::context* tls,
               SessionShared shared, const std::string& what);

  int port() const { return port_; }
  void start();
  // Stops accepting; open connections run to their end.
  void stop();

 private:
  void accept();
  void onAccept(boost::system::error_code ec, boost::asio::ip::tcp::socket socket);

  boost::asio::io_context& ioc_;
  boost::asio::ip::tcp::acceptor acceptor_;
  boost::asio::steady_timer pause_;
  boost::asio::ssl::context* tls_;
  SessionShared shared_;
  int port_ = 0;
};

}  // namespace corvane::backend
