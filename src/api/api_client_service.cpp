// Service operations over the API domain: the WireGuard configuration of a server, the
// account's signed-in devices, and the sign-out report.
#include "api/api_client.h"
#include "api/api_client_context.h"
#include "api/api_errors.h"
#include "api/records/record_decoders.h"
#include "api/request_bodies.h"
#include "keys/preference_key.h"

namespace corvane::api {
namespace {

namespace Key = keys::pref;

// The literal answer that means "nothing new": the stored configuration stays.
constexpr std::string_view kUnchangedConfig = "success";

}  // namespace

void ApiClient::fetchWireGuardConfig(std::int64_t vpnServerID, std::int64_t ipID, std::int64_t connectionType,
                                     DoneCompletion completion) {
  auto context = context_;
  // The stored credentials go out exactly as stored, like login sends them.
  auto username = context->preferences.get(Key::username);
  auto password = context->preferences.get(Key::password);
  if (!username || !password) {
    context->log.error("WireGuard configuration not requested: no stored user name or password");
    context->loader.async([completion = std::move(completion)] {
      completion(Error(kWgConfigErrorDomain, 401, "no stored user name or password; sign in first"));
    });
    return;
  }
  context->post("/app-api-v1/wireguard-user-con",
                wireGuardConfigBody(*username, *password, vpnServerID, ipID, connectionType),
                [context, completion = std::move(completion)](Result<std::string> answer) {
                  if (!answer) {
                    completion(answer.error());
                    return;
                  }
                  auto config = decodeWGConfig(*answer);
                  if (!config) {
                    completion(config.error());
                    return;
                  }
                  if (!config->result) {
                    completion(makeError(kWgConfigErrorDomain, 404));
                    return;
                  }
                  if (*config->result != kUnchangedConfig) {
                    context->preferences.setIfChanged(Key::config, std::move(config->result));
                  }
                  completion(Result<void>::success());
                });
}

void ApiClient::fetchLoggedInDevices(const std::string& username, const std::string& password,
                                     const std::string& udid, DevicesCompletion completion) {
  context_->post("/app-api-v1/get-logged-in-devices", loggedInDevicesBody(username, password, udid),
                 [completion = std::move(completion)](Result<std::string> answer) {
                   if (!answer) {
                     completion(answer.error());
                     return;
                   }
                   auto devices = decodeDeviceResponse(*answer);
                   if (!devices) {
                     completion(devices.error());
                     return;
                   }
                   // Delivered whatever its status_code says; the screen shows the list.
                   if (!devices->data) {
                     devices->data.emplace();
                   }
                   completion(std::move(*devices));
                 });
}

void ApiClient::setPinOffline(const std::string& username, const std::string& password,
                              const std::string& udid) {
  // Fire and forget: the sign-out does not wait, and no outcome is reported or stored.
  context_->post("/app-api-v1/pin-set-offline", pinOfflineBody(username, password, udid),
                 [](Result<std::string>) {});
}

}  // namespace corvane::api
