#include "backend/router.h"

#include <nlohmann/json.hpp>

namespace corvane::backend {
namespace {

const char* reasonFor(int status) {
  switch (status) {
    case 400: return "The request is malformed.";
    case 404: return "There is nothing at this address.";
    case 405: return "This address does not take that method.";
    case 408: return "The request took too long to arrive.";
    case 413: return "The request body is too large.";
    case 414: return "The request address is too long.";
    case 431: return "The request headers are too large or too many.";
    default: return status >= 500 ? "The server could not complete the request." : "The request was refused.";
  }
}

}  // namespace

HttpResponse errorResponse(int status) {
  HttpResponse res;
  res.status = status;
  res.body = nlohmann::json{{"message", reasonFor(status)}}.dump();
  return res;
}

HttpResponse Router::handle(const HttpRequest& request) const {
  const auto it = routes_.find({request.method, request.path});
  if (it == routes_.end()) {
    for (const auto& [key, handler] : routes_) {
      if (key.second == request.path) return errorResponse(405);
    }
    return errorResponse(404);
  }
  HttpResponse res;
  try {
    it->second(request, res);
    return res;
  } catch (const std::exception& e) {
    log_->error("{} {}: {}", request.method, request.path, e.what());
  } catch (...) {
    log_->error("{} {}: unknown failure", request.method, request.path);
  }
  return errorResponse(500);
}

}  // namespace corvane::backend
