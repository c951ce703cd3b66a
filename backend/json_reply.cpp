#include "backend/json_reply.h"

#include "backend/json_body.h"

namespace corvane::backend {

void replyJson(HttpResponse& res, const nlohmann::json& body, int status) {
  res.status = status;
  res.contentType = "application/json";
  // Replace, not fail: a stored text that is not UTF-8 must not turn an answer into a 500.
  res.body = body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

nlohmann::json statusAnswer(int statusCode, const std::string& message) {
  return {{"status_code", statusCode}, {"response_code", statusCode == 200 ? 1 : 0}, {"message", message}};
}

Router::Handler jsonRoute(BackendContext& ctx, const char* name, JsonHandler handler) {
  return [&ctx, name, handler = std::move(handler)](const HttpRequest& req, HttpResponse& res) {
    try {
      const nlohmann::json body = parseJsonObject(req.body);
      handler(req, body, res);
    } catch (const BadRequest& e) {
      ctx.log->info("{}: refused a malformed request from {}: {}", name, req.remoteAddress, e.what());
      replyJson(res, statusAnswer(400, e.what()), 400);
    } catch (const std::exception& e) {
      ctx.log->error("{}: {}", name, e.what());
      replyJson(res, statusAnswer(500, "The server could not complete the request."), 500);
    }
  };
}

}  // namespace corvane::backend
