#pragma once
// The member definitions of HttpSession, shared by the two files that instantiate it: one for
// plain connections and one for TLS. Each instantiation is a large piece of Beast and Asio
// template code, and in separate files they compile side by side.
#include "backend/http_session.h"

#include <iterator>
#include <type_traits>

#include <boost/asio/dispatch.hpp>
#include <boost/asio/post.hpp>

#include "backend/gzip_encoding.h"
#include "backend/http_request.h"
#include "backend/request_target.h"

namespace corvane::backend {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;

// After a refusal, what the client still sends is read and dropped for a while before the
// socket closes: closing with unread data makes the kernel send a reset, which can destroy the
// refusal before the client reads it.
constexpr std::size_t kMaxDrainBytes = 1024 * 1024;
constexpr auto kDrainTime = std::chrono::seconds(2);

// A client that goes away, or stays silent past its deadline, gets no answer: there is no one
// to read it, and writing to a trickling client would only hold the connection longer.
bool clientGone(beast::error_code ec) {
  return ec == http::error::end_of_stream || ec == beast::error::timeout || ec == net::error::eof ||
         ec == net::error::connection_reset || ec == net::error::operation_aborted ||
         ec == net::error::broken_pipe || ec == net::ssl::error::stream_truncated;
}

}  // namespace

template <class Stream>
HttpSession<Stream>::HttpSession(Stream stream, std::string remoteAddress, SessionShared shared)
    : stream_(std::move(stream)),
      remoteAddress_(std::move(remoteAddress)),
      shared_(shared),
      // The read buffer never holds more than one request head plus its largest body.
      buffer_(shared.limits.maxHeaderBytes + shared.limits.maxBodyBytes + 4096) {}

template <class Stream>
HttpSession<Stream>::~HttpSession() {
  --shared_.connections;
}

template <class Stream>
void HttpSession<Stream>::run() {
  auto self = this->shared_from_this();
  net::dispatch(stream_.get_executor(), [self] {
    if constexpr (std::is_same_v<Stream, TlsStream>) {
      // The handshake counts against the request deadline, so a slow handshake ends too.
      self->tcp().expires_after(self->shared_.limits.requestDeadline);
      self->stream_.async_handshake(net::ssl::stream_base::server,
                                    [self](beast::error_code ec) { self->onHandshake(ec); });
    } else {
      self->readRequest();
    }
  });
}

template <class Stream>
void HttpSession<Stream>::onHandshake(beast::error_code ec) {
  if (ec) return close();
  readRequest();
}

template <class Stream>
void HttpSession<Stream>::readRequest() {
  parser_.emplace();
  parser_->header_limit(static_cast<std::uint32_t>(shared_.limits.maxHeaderBytes));
  parser_->body_limit(shared_.limits.maxBodyBytes);
  // One deadline for the whole head and body: it is not renewed as bytes trickle in.
  tcp().expires_after(shared_.limits.requestDeadline);
  http::async_read_header(stream_, buffer_, *parser_,
                          beast::bind_front_handler(&HttpSession::onHeader, this->shared_from_this()));
}

template <class Stream>
void HttpSession<Stream>::onHeader(beast::error_code ec, std::size_t) {
  if (ec == http::error::header_limit || ec == http::error::buffer_overflow) return refuse(431);
  // A Content-Length above the limit is refused as soon as the head is read.
  if (ec == http::error::body_limit) return refuse(413);
  if (ec) return clientGone(ec) ? close() : refuse(400);
  const auto& head = parser_->get();
  if (static_cast<std::size_t>(std::distance(head.begin(), head.end())) > shared_.limits.maxHeaderCount) {
    return refuse(431);
  }
  if (beast::iequals(head[http::field::expect], "100-continue") && !parser_->is_done()) {
    continue_ = std::make_shared<http::response<http::empty_body>>(http::status::continue_, head.version());
    http::async_write(stream_, *continue_, [self = this->shared_from_this()](beast::error_code e, std::size_t) {
      if (e) return self->close();
      self->readBody();
    });
    return;
  }
  readBody();
}

template <class Stream>
void HttpSession<Stream>::readBody() {
  if (parser_->is_done()) return dispatch();
  http::async_read(stream_, buffer_, *parser_,
                   beast::bind_front_handler(&HttpSession::onBody, this->shared_from_this()));
}

template <class Stream>
void HttpSession<Stream>::onBody(beast::error_code ec, std::size_t) {
  // Chunked bodies are counted as they arrive, so this holds whatever the framing.
  if (ec == http::error::body_limit || ec == http::error::buffer_overflow) return refuse(413);
  if (ec) return clientGone(ec) ? close() : refuse(400);
  dispatch();
}

template <class Stream>
void HttpSession<Stream>::dispatch() {
  tcp().expires_never();
  auto message = parser_->release();
  HttpRequest request;
  if (!parseRequestTarget(message.target(), request)) return refuse(400);
  request.method = std::string(message.method_string());
  request.remoteAddress = remoteAddress_;
  request.acceptEncoding = std::string(message[http::field::accept_encoding]);
  request.body = std::move(message.body());
  const bool keepAlive = message.keep_alive();
  net::post(shared_.workers, [self = this->shared_from_this(), request = std::move(request), keepAlive]() {
    HttpResponse res = self->shared_.router.handle(request);
    compressIfAccepted(request.acceptEncoding, res);
    net::post(self->stream_.get_executor(), [self, res = std::move(res), keepAlive]() mutable {
      self->send(std::move(res), keepAlive);
    });
  });
}

template <class Stream>
void HttpSession<Stream>::send(HttpResponse res, bool keepAlive) {
  response_ = std::make_shared<http::response<http::string_body>>(static_cast<http::status>(res.status), 11);
  response_->set(http::field::server, "corvane-backend");
  response_->set(http::field::content_type, res.contentType);
  for (const auto& [name, value] : res.headers) response_->insert(name, value);
  response_->body() = std::move(res.body);
  response_->keep_alive(keepAlive);
  response_->prepare_payload();
  tcp().expires_after(shared_.limits.writeDeadline);
  http::async_write(stream_, *response_,
                    beast::bind_front_handler(&HttpSession::onWritten, this->shared_from_this(), keepAlive));
}

template <class Stream>
void HttpSession<Stream>::onWritten(bool keepAlive, beast::error_code ec, std::size_t) {
  response_.reset();
  if constexpr (std::is_same_v<Stream, PlainStream>) {
    if (!ec && refused_) {
      beast::error_code ignored;
      tcp().socket().shutdown(net::ip::tcp::socket::shutdown_send, ignored);
      tcp().expires_after(kDrainTime);
      return drain(0);
    }
  }
  if (ec || !keepAlive) return close();
  readRequest();
}

template <class Stream>
void HttpSession<Stream>::drain(std::size_t drained) {
  if (!drainBuffer_) drainBuffer_ = std::make_unique<std::array<char, 8192>>();
  tcp().async_read_some(net::buffer(*drainBuffer_),
                        [self = this->shared_from_this(), drained](beast::error_code ec, std::size_t n) {
                          if (ec || drained + n > kMaxDrainBytes) return self->tcp().close();
                          self->drain(drained + n);
                        });
}

template <class Stream>
void HttpSession<Stream>::refuse(int status) {
  refused_ = true;
  tcp().expires_never();
  send(errorResponse(status), false);
}

template <class Stream>
void HttpSession<Stream>::close() {
  if constexpr (std::is_same_v<Stream, TlsStream>) {
    // A TLS close_notify, bounded: a peer that never answers it does not keep the socket.
    tcp().expires_after(std::chrono::seconds(2));
    stream_.async_shutdown([self = this->shared_from_this()](beast::error_code) { self->tcp().close(); });
  } else {
    beast::error_code ignored;
    tcp().socket().shutdown(net::ip::tcp::socket::shutdown_send, ignored);
    tcp().close();
  }
}

}  // namespace corvane::backend
