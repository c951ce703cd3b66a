#pragma once
// One client of the socket. Lines are read as they come; each complete line goes to the
// handler, whose answer is queued. Writes never block the loop: a client that stops reading
// lets its queue grow up to kMaxQueuedBytes and is then dropped, so no client can stall
// another or make the daemon hold unbounded memory.
#include <asio/local/stream_protocol.hpp>

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "daemon/server/peer_credentials.h"
#include "platform/vpn/tunneld/line_codec.h"

namespace corvane::daemon::server {

class ClientConnection : public std::enable_shared_from_this<ClientConnection> {
 public:
  // Answers and events of a few status lines fit many times over; a client this far behind
  // is not reading.
  static constexpr std::size_t kMaxQueuedBytes = 4 * 1024 * 1024;

  using LineHandler = std::function<void(ClientConnection&, std::string_view line)>;
  using ClosedHandler = std::function<void(ClientConnection&)>;

  ClientConnection(asio::local::stream_protocol::socket socket, PeerCredentials peer);

  // Starts reading. `onLine` runs for every complete line; `onClosed` once, when the
  // connection ends for any reason.
  void start(LineHandler onLine, ClosedHandler onClosed);
  // Queues one line (with its newline). Drops the client when its queue is full.
  void send(std::string line);
  // Sends what is queued, then closes; nothing more is read.
  void finishAndClose();
  void close();

  const PeerCredentials& peer() const { return peer_; }
  platform::tunneld::LineCodec& codec() { return codec_; }
  bool subscribed = false;

 private:
  void readMore();
  void onRead(std::size_t bytes);
  void writeNext();

  asio::local::stream_protocol::socket socket_;
  PeerCredentials peer_;
  platform::tunneld::LineCodec codec_;
  LineHandler onLine_;
  ClosedHandler onClosed_;
  std::string pending_;
  std::array<char, 64 * 1024> buffer_{};
  std::deque<std::string> queue_;
  std::size_t queuedBytes_ = 0;
  bool writing_ = false;
  bool closing_ = false;
  bool closed_ = false;
};

}  // namespace corvane::daemon::server
