#include "daemon/server/client_connection.h"

#include <asio/write.hpp>
#include <fmt/format.h>

namespace corvane::daemon::server {

using platform::tunneld::Answer;
using platform::tunneld::ErrorCode;
using platform::tunneld::kMaxLineBytes;
using platform::tunneld::LineCodec;

ClientConnection::ClientConnection(asio::local::stream_protocol::socket socket, PeerCredentials peer)
    : socket_(std::move(socket)), peer_(std::move(peer)) {}

void ClientConnection::start(LineHandler onLine, ClosedHandler onClosed) {
  onLine_ = std::move(onLine);
  onClosed_ = std::move(onClosed);
  readMore();
}

void ClientConnection::readMore() {
  if (closing_ || closed_) return;
  socket_.async_read_some(asio::buffer(buffer_), [self = shared_from_this()](std::error_code error, std::size_t bytes) {
    if (error) return self->close();
    self->onRead(bytes);
  });
}

void ClientConnection::onRead(std::size_t bytes) {
  std::size_t scanFrom = pending_.size();
  pending_.append(buffer_.data(), bytes);
  std::size_t lineStart = 0;
  for (auto newline = pending_.find('\n', scanFrom); newline != std::string::npos; newline = pending_.find('\n', lineStart)) {
    std::string_view line(pending_.data() + lineStart, newline - lineStart);
    lineStart = newline + 1;
    if (line.size() + 1 > kMaxLineBytes) {
      send(LineCodec::write(Answer::failure(std::nullopt, {ErrorCode::tooLarge, fmt::format("request line of {} bytes is over the limit of {}", line.size() + 1, kMaxLineBytes), false})));
      return finishAndClose();
    }
    if (!line.empty() && onLine_) onLine_(*this, line);
    if (closing_ || closed_) return;
  }
  pending_.erase(0, lineStart);
  // No newline within the limit: the sender is not speaking lines, and where its next
  // request would start cannot be known.
  if (pending_.size() > kMaxLineBytes) {
    send(LineCodec::write(Answer::failure(std::nullopt, {ErrorCode::tooLarge, fmt::format("no end of line within {} bytes", kMaxLineBytes), false})));
    return finishAndClose();
  }
  readMore();
}

void ClientConnection::send(std::string line) {
  if (closed_) return;
  if (queuedBytes_ + line.size() > kMaxQueuedBytes) return close();
  queuedBytes_ += line.size();
  queue_.push_back(std::move(line));
  if (!writing_) writeNext();
}

void ClientConnection::writeNext() {
  if (closed_) return;
  if (queue_.empty()) {
    writing_ = false;
    if (closing_) close();
    return;
  }
  writing_ = true;
  asio::async_write(socket_, asio::buffer(queue_.front()), [self = shared_from_this()](std::error_code error, std::size_t) {
    // A write may complete after close() (the drop of a client that stopped reading can
    // happen between the write and its handler): nothing more is sent then.
    if (error || self->closed_) return self->close();
    self->queuedBytes_ -= self->queue_.front().size();
    self->queue_.pop_front();
    self->writeNext();
  });
}

void ClientConnection::finishAndClose() {
  closing_ = true;
  // Nothing more is read; the peer's further lines are discarded with the socket.
  std::error_code ignored;
  socket_.shutdown(asio::socket_base::shutdown_receive, ignored);
  if (!writing_) writeNext();
}

void ClientConnection::close() {
  if (closed_) return;
  closed_ = true;
  std::error_code ignored;
  socket_.close(ignored);
  // The queue stays until the object goes: a write still in flight points into its front.
  if (onClosed_) {
    auto handler = std::move(onClosed_);
    handler(*this);
  }
}

}  // namespace corvane::daemon::server
