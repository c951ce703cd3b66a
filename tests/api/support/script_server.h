#pragma once
// A small scriptable HTTP(S) server on 127.0.0.1 for the answers the reference backend never
// gives: redirects, empty bodies, broken JSON, slow or stalling replies. Each route answers
// from a script; every request is recorded so tests can check what went on the wire.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "api/support/test_pki.h"

namespace httplib {
class Server;
}

namespace corvane::test {

struct ScriptedReply {
  int status = 200;
  std::optional<std::string> body;  // no value: no body at all
  std::string contentType = "application/json";
  std::vector<std::pair<std::string, std::string>> headers;
  // Waits this long before answering; cut short when the server stops.
  std::chrono::milliseconds delay{0};
  // Sends the headers and one byte of body, then goes silent until the server stops.
  bool stall = false;

  explicit ScriptedReply(int statusCode = 200, std::optional<std::string> bodyText = std::nullopt,
                         std::string type = "application/json")
      : status(statusCode), body(std::move(bodyText)), contentType(std::move(type)) {}

  static ScriptedReply json(int status, std::string body) { return ScriptedReply(status, std::move(body)); }
  static ScriptedReply text(int status, std::string body) {
    return ScriptedReply(status, std::move(body), "text/plain");
  }
  ScriptedReply withHeader(std::string name, std::string value) && {
    headers.emplace_back(std::move(name), std::move(value));
    return std::move(*this);
  }
  ScriptedReply after(std::chrono::milliseconds wait) && {
    delay = wait;
    return std::move(*this);
  }
  ScriptedReply stalling() && {
    stall = true;
    return std::move(*this);
  }
};

struct RecordedRequest {
  std::string method;
  std::string path;
  std::string body;
  std::multimap<std::string, std::string> headers;
  int remotePort = 0;  // the client's side of the TCP connection: equal ports mean a reused one
  std::string header(const std::string& name) const;
};

class ScriptServer {
 public:
  using Script = std::function<ScriptedReply(const RecordedRequest&)>;

  // Plain HTTP, or HTTPS presenting `leaf`.
  ScriptServer();
  explicit ScriptServer(const LeafCertificate& leaf);
  ~ScriptServer();
  ScriptServer(const ScriptServer&) = delete;
  ScriptServer& operator=(const ScriptServer&) = delete;

  void on(const std::string& method, const std::string& path, Script script);
  void answer(const std::string& method, const std::string& path, ScriptedReply reply);

  int port() const { return port_; }
  std::string hostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string url(const std::string& path) const;

  std::vector<RecordedRequest> requests() const;

  // Stops and listens again on the same port: every open connection is dropped, as when a
  // server restarts behind a client's idle keep-alive connection.
  void restart();

 private:
  void listen(int fixedPort);
  void stop();
  void handle(const RecordedRequest& request, void* response);

  const LeafCertificate* leaf_ = nullptr;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable released_;
  bool stopping_ = false;
  std::map<std::pair<std::string, std::string>, Script> scripts_;
  std::vector<RecordedRequest> requests_;
};

}  // namespace corvane::test
