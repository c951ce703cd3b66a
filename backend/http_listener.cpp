#include "backend/http_listener.h"

#include <stdexcept>

#include <boost/asio/dispatch.hpp>
#include <boost/asio/strand.hpp>

#include "backend/http_session.h"

namespace corvane::backend {
namespace {

namespace net = boost::asio;
using tcp = net::ip::tcp;

}  // namespace

HttpListener::HttpListener(net::io_context& ioc, const std::string& host, int port, net::ssl::context* tls,
                           SessionShared shared, const std::string& what)
    : ioc_(ioc), acceptor_(ioc), pause_(ioc), tls_(tls), shared_(shared) {
  boost::system::error_code ec;
  const auto address = net::ip::make_address(host, ec);
  const tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
  auto fail = [&](const char* step) {
    throw std::runtime_error("cannot listen for " + what + " on " + host + ":" + std::to_string(port) + " (" + step +
                             ": " + ec.message() + ")");
  };
  if (ec) fail("address");
  acceptor_.open(endpoint.protocol(), ec);
  if (ec) fail("socket");
  acceptor_.set_option(net::socket_base::reuse_address(true), ec);
  if (ec) fail("SO_REUSEADDR");
  acceptor_.bind(endpoint, ec);
  if (ec) fail("bind");
  acceptor_.listen(net::socket_base::max_listen_connections, ec);
  if (ec) fail("listen");
  port_ = acceptor_.local_endpoint().port();
}

void HttpListener::start() {
  net::dispatch(acceptor_.get_executor(), [self = shared_from_this()] { self->accept(); });
}

void HttpListener::stop() {
  net::dispatch(acceptor_.get_executor(), [self = shared_from_this()] {
    boost::system::error_code ignored;
    self->pause_.cancel();
    self->acceptor_.close(ignored);
  });
}

void HttpListener::accept() {
  if (!acceptor_.is_open()) return;
  // Each connection gets its own strand: its handlers never run at once, on any I/O thread.
  acceptor_.async_accept(net::make_strand(ioc_), [self = shared_from_this()](boost::system::error_code ec,
                                                                             tcp::socket socket) {
    self->onAccept(ec, std::move(socket));
  });
}

void HttpListener::onAccept(boost::system::error_code ec, tcp::socket socket) {
  if (ec == net::error::operation_aborted || !acceptor_.is_open()) return;
  if (ec) {
    // EMFILE and friends: the next accept would fail at once, so wait a little instead of
    // spinning; the waiting clients stay in the backlog.
    pause_.expires_after(std::chrono::milliseconds(50));
    pause_.async_wait([self = shared_from_this()](boost::system::error_code e) {
      if (!e) self->accept();
    });
    return;
  }
  if (shared_.connections.fetch_add(1) >= shared_.limits.maxConnections) {
    --shared_.connections;
    boost::system::error_code ignored;
    socket.close(ignored);
    return accept();
  }
  boost::system::error_code peerError;
  const auto peer = socket.remote_endpoint(peerError);
  std::string remote = peerError ? std::string() : peer.address().to_string();
  if (tls_) {
    std::make_shared<HttpSession<TlsStream>>(TlsStream(PlainStream(std::move(socket)), *tls_), std::move(remote),
                                             shared_)
        ->run();
  } else {
    std::make_shared<HttpSession<PlainStream>>(PlainStream(std::move(socket)), std::move(remote), shared_)->run();
  }
  accept();
}

}  // namespace corvane::backend
