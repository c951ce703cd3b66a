#include "backend/test_routes.h"

#include "backend/json_reply.h"

namespace corvane::backend {

void registerTestRoutes(Router& server, BackendContext& ctx) {
  server.get("/test/reset-code", [&ctx](const HttpRequest& req, HttpResponse& res) {
    const std::string name = req.param("username");
    const auto account = ctx.store.findByUsernameOrEmail(name);
    const auto code = account ? ctx.store.pendingResetCode(account->id) : std::nullopt;
    if (!code) {
      replyJson(res, {{"message", "No reset code is pending for that account."}}, 404);
      return;
    }
    replyJson(res, {{"username", account->username}, {"code", *code}});
  });
  server.get("/test/wireguard-peers", [&ctx](const HttpRequest&, HttpResponse& res) {
    auto peers = nlohmann::json::array();
    for (const auto& p : ctx.store.wireGuardPeers()) {
      peers.push_back({{"username", p.username},
                       {"vpn_server_id", p.vpnServerId},
                       {"ip_id", p.ipId},
                       {"public_key", p.publicKey},
                       {"allowed_ips", p.address}});
    }
    replyJson(res, {{"peers", std::move(peers)}});
  });
}

}  // namespace corvane::backend
