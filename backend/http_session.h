#pragma once
// One client connection, plain or TLS, on the I/O event loop. It reads one request at a time
// under the limits, hands the complete request to the worker pool, writes the answer, and
// reads the next one while the client keeps the connection alive.
#include <array>
#include <memory>
#include <optional>
#include <string>

#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include "backend/http_response.h"
#include "backend/session_shared.h"

namespace corvane::backend {

using PlainStream = boost::beast::tcp_stream;
using TlsStream = boost::beast::ssl_stream<boost::beast::tcp_stream>;

template <class Stream>
class HttpSession : public std::enable_shared_from_this<HttpSession<Stream>> {
 public:
  HttpSession(Stream stream, std::string remoteAddress, SessionShared shared);
  ~HttpSession();
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  void run();

 private:
  boost::beast::tcp_stream& tcp() { return boost::beast::get_lowest_layer(stream_); }
  void onHandshake(boost::beast::error_code ec);
  void readRequest();
  void onHeader(boost::beast::error_code ec, std::size_t);
  void readBody();
  void onBody(boost::beast::error_code ec, std::size_t);
  void dispatch();
  void send(HttpResponse res, bool keepAlive);
  void onWritten(bool keepAlive, boost::beast::error_code ec, std::size_t);
  // Answers `status` and closes: after a limit is hit the rest of the request is not read.
  void refuse(int status);
  void close();
  void drain(std::size_t drained);

  Stream stream_;
  std::string remoteAddress_;
  SessionShared shared_;
  boost::beast::flat_buffer buffer_;
  std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
  std::shared_ptr<boost::beast::http::response<boost::beast::http::string_body>> response_;
  std::shared_ptr<boost::beast::http::response<boost::beast::http::empty_body>> continue_;
  bool refused_ = false;
  std::unique_ptr<std::array<char, 8192>> drainBuffer_;
};

extern template class HttpSession<PlainStream>;
extern template class HttpSession<TlsStream>;

}  // namespace corvane::backend
