#include "api/support/script_server.h"

#include <httplib.h>

#include <stdexcept>

namespace corvane::test {

std::string RecordedRequest::header(const std::string& name) const {
  auto found = headers.find(name);
  return found == headers.end() ? std::string() : found->second;
}

ScriptServer::ScriptServer() { listen(0); }

ScriptServer::ScriptServer(const LeafCertificate& leaf) : leaf_(&leaf) { listen(0); }

ScriptServer::~ScriptServer() { stop(); }

void ScriptServer::on(const std::string& method, const std::string& path, Script script) {
  std::lock_guard lock(mutex_);
  scripts_[{method, path}] = std::move(script);
}

void ScriptServer::answer(const std::string& method, const std::string& path, ScriptedReply reply) {
  on(method, path, [reply](const RecordedRequest&) { return reply; });
}

std::string ScriptServer::url(const std::string& path) const {
  return std::string(leaf_ != nullptr ? "https://" : "http://") + hostPort() + path;
}

std::vector<RecordedRequest> ScriptServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void ScriptServer::restart() {
  stop();
  listen(port_);
}

void ScriptServer::listen(int fixedPort) {
  {
    std::lock_guard lock(mutex_);
    stopping_ = false;
  }
  if (leaf_ != nullptr) {
    server_ = std::make_unique<httplib::SSLServer>(leaf_->certificate.get(), leaf_->key.get());
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  // Short keep-alive: a stop waits for idle connections to time out on the server's side.
  server_->set_keep_alive_timeout(1);
  auto dispatch = [this](const httplib::Request& in, httplib::Response& out) {
    RecordedRequest request{in.method, in.path, in.body, {}, in.remote_port};
    for (const auto& [name, value] : in.headers) {
      request.headers.emplace(name, value);
    }
    handle(request, &out);
  };
  server_->Get(".*", dispatch);
  server_->Post(".*", dispatch);
  if (fixedPort == 0) {
    port_ = server_->bind_to_any_port("127.0.0.1");
  } else if (!server_->bind_to_port("127.0.0.1", fixedPort)) {
    port_ = -1;
  }
  if (port_ <= 0) {
    throw std::runtime_error("script server cannot bind 127.0.0.1");
  }
  thread_ = std::thread([server = server_.get()] { server->listen_after_bind(); });
  // Bounded: the listening socket is already bound, so the loop starts within moments.
  for (int i = 0; i < 500 && !server_->is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void ScriptServer::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  released_.notify_all();
  if (server_) {
    server_->stop();
  }
  if (thread_.joinable()) {
    thread_.join();
  }
  server_.reset();
}

void ScriptServer::handle(const RecordedRequest& request, void* response) {
  auto& out = *static_cast<httplib::Response*>(response);
  Script script;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    auto found = scripts_.find({request.method, request.path});
    if (found != scripts_.end()) {
      script = found->second;
    }
  }
  if (!script) {
    out.status = 404;
    out.set_content(R"({"message":"no script for this path"})", "application/json");
    return;
  }
  const ScriptedReply reply = script(request);
  if (reply.delay.count() > 0) {
    std::unique_lock lock(mutex_);
    released_.wait_for(lock, reply.delay, [this] { return stopping_; });
  }
  out.status = reply.status;
  for (const auto& [name, value] : reply.headers) {
    out.set_header(name, value);
  }
  if (reply.stall) {
    out.set_chunked_content_provider(reply.contentType, [this](std::size_t, httplib::DataSink& sink) {
      sink.write("{", 1);
      std::unique_lock lock(mutex_);
      released_.wait_for(lock, std::chrono::seconds(30), [this] { return stopping_; });
      return false;
    });
  } else if (reply.body) {
    out.set_content(*reply.body, reply.contentType);
  }
}

}  // namespace corvane::test
