#include "daemon/server/socket_server.h"

#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace corvane::daemon::server {

using platform::tunneld::Answer;
using platform::tunneld::ErrorCode;
using platform::tunneld::ErrorInfo;
using platform::tunneld::LineCodec;

SocketServer::SocketServer(asio::io_context& io, CallerPolicy policy, RequestHandler& handler, platform::Log log)
    : io_(io), policy_(std::move(policy)), handler_(handler), log_(std::move(log)) {}

SocketServer::~SocketServer() {
  for (const auto& client : std::vector(clients_.begin(), clients_.end())) client->close();
  if (acceptor_) {
    std::error_code ignored;
    acceptor_->close(ignored);
    std::filesystem::remove(path_, ignored);
  }
}

Result<void> SocketServer::listen(const std::filesystem::path& path) {
  path_ = path;
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  // A socket file outlives a killed daemon and makes bind fail with EADDRINUSE. Only a socket
  // is removed: anything else at that path is someone else's.
  if (std::filesystem::is_socket(path, error)) std::filesystem::remove(path, error);
  // Bind with a tight umask, so the socket never exists with looser modes than 0660.
  mode_t previous = umask(0117);
  acceptor_.emplace(io_);
  asio::local::stream_protocol::endpoint endpoint(path.string());
  acceptor_->open(endpoint.protocol(), error);
  if (!error) acceptor_->bind(endpoint, error);
  umask(previous);
  if (!error) acceptor_->listen(asio::socket_base::max_listen_connections, error);
  if (error) {
    acceptor_.reset();
    return Error("SocketServer", error.value(), fmt::format("listen on {}: {}", path.string(), error.message()));
  }
  if (policy_.group()) {
    if (chown(path.c_str(), 0, *policy_.group()) != 0) log_.warning(fmt::format("cannot give {} to the service's group", path.string()));
  }
  chmod(path.c_str(), 0660);
  acceptNext();
  return Result<void>::success();
}

void SocketServer::acceptNext() {
  acceptor_->async_accept([this](std::error_code error, asio::local::stream_protocol::socket socket) {
    if (error == asio::error::operation_aborted) return;
    if (!error) accepted(std::move(socket));
    acceptNext();
  });
}

void SocketServer::accepted(asio::local::stream_protocol::socket socket) {
  auto peer = PeerCredentials::of(socket.native_handle());
  if (!peer) {
    log_.warning("caller refused: " + peer.error().description);
    return;
  }
  auto client = std::make_shared<ClientConnection>(std::move(socket), *peer);
  clients_.insert(client);
  auto onClosed = [this, weak = std::weak_ptr(client)](ClientConnection&) {
    if (auto self = weak.lock()) clients_.erase(self);
  };
  if (!policy_.allows(*peer)) {
    log_.info(fmt::format("refused uid {} (pid {})", peer->uid, peer->pid));
    client->start({}, onClosed);
    client->send(LineCodec::write(Answer::failure(std::nullopt, ErrorInfo{ErrorCode::forbidden, policy_.refusal(*peer), false})));
    client->finishAndClose();
    return;
  }
  client->start([this](ClientConnection& c, std::string_view line) { handler_.handle(c, line); }, onClosed);
}

void SocketServer::broadcast(const std::string& line) {
  // A send may drop a client that stopped reading, which erases it from the set.
  for (const auto& client : std::vector(clients_.begin(), clients_.end())) {
    if (client->subscribed) client->send(line);
  }
}

}  // namespace corvane::daemon::server
