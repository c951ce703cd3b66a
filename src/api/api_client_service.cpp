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
  context->postDecoded(
      "/app-api-v1/wireguard-user-con", wireGuardConfigBody(*username, *password, vpnServerID, ipID, connectionType),
      decodeWGConfig, std::move(completion), [context](WGConfig config, DoneCompletion& done) {
        if (!config.result) {
          done(makeError(kWgConfigErrorDomain, 404));
          return;
        }
        if (config.result->size() > kMaxConfigBytes) {
          const std::string why = "WireGuard configuration of " + std::to_string(config.result->size()) +
                                  " bytes is over the limit of " + std::to_string(kMaxConfigBytes) +
                                  " bytes; the stored one is kept";
          context->log.error(why);
          done(Error(kWgConfigErrorDomain, 413, why));
          return;
        }
        if (*config.result != kUnchangedConfig) {
          context->preferences.setIfChanged(Key::config, std::move(config.result));
        }
        done(Result<void>::success());
      });
}

void ApiClient::fetchLoggedInDevices(const std::string& username, const std::string& password,
                                     const std::string& udid, DevicesCompletion completion) {
  context_->postDecoded("/app-api-v1/get-logged-in-devices", loggedInDevicesBody(username, password, udid),
                        decodeDeviceResponse, std::move(completion), [](DeviceResponse devices, DevicesCompletion& done) {
                          // Delivered whatever its status_code says; the screen shows the list.
                          if (!devices.data) {
                            devices.data.emplace();
                          }
                          done(std::move(devices));
                        });
}

void ApiClient::setPinOffline(const std::string& username, const std::string& password,
                              const std::string& udid) {
  // Fire and forget: the sign-out does not wait, and no outcome is reported or stored.
  context_->post("/app-api-v1/pin-set-offline", pinOfflineBody(username, password, udid),
                 [](Result<std::string>) {});
}

}  // namespace corvane::api
