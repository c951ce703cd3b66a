#pragma once
// The listening socket: accepts clients, checks each with SO_PEERCRED before reading a byte
// from it, and sends events to every subscribed client.
#include <asio/io_context.hpp>
#include <asio/local/stream_protocol.hpp>

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "daemon/server/caller_policy.h"
#include "daemon/server/client_connection.h"
#include "daemon/server/request_handler.h"
#include "platform/core/result.h"
#include "platform/log/log.h"

namespace corvane::daemon::server {

class SocketServer {
 public:
  SocketServer(asio::io_context& io, CallerPolicy policy, RequestHandler& handler, platform::Log log);
  ~SocketServer();

  // Binds `path` (0660, group of the policy), replacing a stale socket file left by a crash.
  Result<void> listen(const std::filesystem::path& path);
  // Sends one line to every subscribed client.
  void broadcast(const std::string& line);
  std::size_t clientCount() const { return clients_.size(); }

 private:
  void acceptNext();
  void accepted(asio::local::stream_protocol::socket socket);

  asio::io_context& io_;
  CallerPolicy policy_;
  RequestHandler& handler_;
  platform::Log log_;
  std::optional<asio::local::stream_protocol::acceptor> acceptor_;
  std::filesystem::path path_;
  std::set<std::shared_ptr<ClientConnection>> clients_;
};

}  // namespace corvane::daemon::server
