#include "test_routes.h"

#include "json_reply.h"

namespace corvane::backend {

void registerTestRoutes(httplib::Server& server, BackendContext& ctx) {
  server.Get("/test/reset-code", [&ctx](const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.get_param_value("username");
    const auto account = ctx.store.findByUsernameOrEmail(name);
    const auto code = account ? ctx.store.pendingResetCode(account->id) : std::nullopt;
    if (!code) {
      replyJson(res, {{"message", "No reset code is pending for that account."}}, 404);
      return;
    }
    replyJson(res, {{"username", account->username}, {"code", *code}});
  });
}

}  // namespace corvane::backend
