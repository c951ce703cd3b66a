#pragma once
// The routes of one listener: exact paths per method. Unknown paths answer 404, a known path
// with another method 405, and a handler that throws answers 500; each with a JSON message.
#include <spdlog/logger.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "backend/http_request.h"
#include "backend/http_response.h"

namespace corvane::backend {

class Router {
 public:
  using Handler = std::function<void(const HttpRequest&, HttpResponse&)>;

  explicit Router(std::shared_ptr<spdlog::logger> log) : log_(std::move(log)) {}

  void get(const std::string& path, Handler handler) { routes_[{"GET", path}] = std::move(handler); }
  void post(const std::string& path, Handler handler) { routes_[{"POST", path}] = std::move(handler); }

  // Never throws.
  HttpResponse handle(const HttpRequest& request) const;

 private:
  std::shared_ptr<spdlog::logger> log_;
  std::map<std::pair<std::string, std::string>, Handler> routes_;
};

// The JSON refusal the HTTP layer and the router send for `status`.
HttpResponse errorResponse(int status);

}  // namespace corvane::backend
