#include "backend/service_routes.h"

#include "backend/credentials.h"
#include "backend/json_body.h"
#include "backend/json_reply.h"
#include "backend/text_time.h"
#include "backend/wireguard_config.h"

namespace corvane::backend {
namespace {

constexpr const char* kBadCredentials = "Invalid user name or password.";

// Answers without "result" are what clients read as "no configuration".
void wireGuardConfig(BackendContext& ctx, const HttpRequest&, const nlohmann::json& body, HttpResponse& res) {
  const std::string username = requireText(body, "username");
  const std::string password = requireText(body, "pass");
  const std::int64_t vpnServerId = requireInteger(body, "vpnserverId");
  const std::int64_t ipId = requireInteger(body, "ipId");
  optionalInteger(body, "connection_type");
  const std::string responseType = optionalText(body, "response_type", "json");
  const auto account = checkCredentials(ctx, username, password);
  if (!account) {
    replyJson(res, {{"message", kBadCredentials}});
    return;
  }
  const auto server = ctx.catalogue.findWireGuard(vpnServerId, ipId);
  if (!server) {
    replyJson(res, {{"message", "No WireGuard server has that vpnserverId and ipId."}});
    return;
  }
  const WireGuardKeyPair keys = newWireGuardKeyPair();
  const std::string address = ctx.store.registerWireGuardPeer(account->id, server->rowId, keys.publicKey);
  // Only "json" asks for the configuration text; any other response type just registers a
  // fresh peer and acknowledges, and the client keeps the configuration it already has.
  if (responseType != "json") {
    replyJson(res, {{"result", "success"}});
    return;
  }
  replyJson(res, {{"result", wireGuardClientConfig(keys.privateKey, address, *server)}});
}

nlohmann::json datum(const Account& account, const DeviceRecord& d) {
  return {{"id", d.id},
          {"pinlist_id", account.id},
          {"username", account.username},
          // Passwords are stored only as hashes, and a list of devices is no place for one anyway.
          {"password", ""},
          {"udid", d.udid},
          {"player_id", d.playerId},
          {"app_id", d.appId},
          {"device_type", d.deviceType},
          {"vpn_app_version", d.vpnAppVersion},
          {"brand", d.brand},
          {"model", d.model},
          {"os_name", d.osName},
          {"os_version", d.osVersion},
          {"os_platform", d.osPlatform},
          {"is_rooted_phone", d.isRooted},
          {"created_at", utcDateTime(d.createdAt)}};
}

void loggedInDevices(BackendContext& ctx, const HttpRequest&, const nlohmann::json& body, HttpResponse& res) {
  const std::string username = requireText(body, "username");
  const std::string password = requireText(body, "pass");
  optionalText(body, "udid");
  const auto account = checkCredentials(ctx, username, password);
  if (!account) {
    auto answer = statusAnswer(401, kBadCredentials);
    answer["data"] = nlohmann::json::array();
    replyJson(res, answer);
    return;
  }
  auto data = nlohmann::json::array();
  for (const auto& device : ctx.store.onlineDevices(account->id)) data.push_back(datum(*account, device));
  auto answer = statusAnswer(200, std::to_string(data.size()) + " device(s) signed in.");
  answer["data"] = std::move(data);
  replyJson(res, answer);
}

// The log-out request names the device signing out by its "udid"; a client that sends none
// (older ones did not) signs out the account's most recently active device.
void pinSetOffline(BackendContext& ctx, const HttpRequest&, const nlohmann::json& body, HttpResponse& res) {
  const std::string username = requireText(body, "username");
  const std::string password = requireText(body, "pass");
  const std::string udid = optionalText(body, "udid");
  const auto account = checkCredentials(ctx, username, password);
  if (!account) {
    replyJson(res, statusAnswer(401, kBadCredentials));
    return;
  }
  if (!ctx.store.setOffline(account->id, udid)) {
    replyJson(res, statusAnswer(404, "No signed-in device to sign out."));
    return;
  }
  replyJson(res, statusAnswer(200, "The device is signed out."));
}

}  // namespace

void registerServiceRoutes(Router& server, BackendContext& ctx) {
  auto bind = [&ctx](auto fn) {
    return [&ctx, fn](const HttpRequest& req, const nlohmann::json& body, HttpResponse& res) {
      fn(ctx, req, body, res);
    };
  };
  server.post("/app-api-v1/wireguard-user-con", jsonRoute(ctx, "wireguard", bind(wireGuardConfig)));
  server.post("/app-api-v1/get-logged-in-devices", jsonRoute(ctx, "devices", bind(loggedInDevices)));
  server.post("/app-api-v1/pin-set-offline", jsonRoute(ctx, "pin offline", bind(pinSetOffline)));
}

}  // namespace corvane::backend
