#include "json_reply.h"

#include "json_body.h"
#include "sqlite_db.h"

namespace corvane::backend {

void replyJson(httplib::Response& res, const nlohmann::json& body, int status) {
  res.status = status;
  res.set_content(body.dump(), "application/json");
}

nlohmann::json statusAnswer(int statusCode, const std::string& message) {
  return {{"status_code", statusCode}, {"response_code", statusCode == 200 ? 1 : 0}, {"message", message}};
}

httplib::Server::Handler jsonRoute(BackendContext& ctx, const char* name, JsonHandler handler) {
  return [&ctx, name, handler = std::move(handler)](const httplib::Request& req, httplib::Response& res) {
    try {
      const nlohmann::json body = parseJsonObject(req.body);
      handler(body, res);
    } catch (const BadRequest& e) {
      ctx.log->info("{}: refused a malformed request from {}: {}", name, req.remote_addr, e.what());
      replyJson(res, statusAnswer(400, e.what()), 400);
    } catch (const std::exception& e) {
      ctx.log->error("{}: {}", name, e.what());
      replyJson(res, statusAnswer(500, "The server could not complete the request."), 500);
    }
  };
}

}  // namespace corvane::backend
