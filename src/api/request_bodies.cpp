#include "api/request_bodies.h"

namespace corvane::api {

using nlohmann::json;

json loginBody(const std::string& username, const std::string& password, const std::string& udid,
               const platform::DeviceInfo& device) {
  return json{
      {"username", username},
      {"pass", password},
      {"udid", udid},
      {"device_type", 2},
      {"player_id", "No_One_Signal"},
      {"app_id", 0},
      {"vpnAppVersion", device.appVersion()},
      {"brand", "apple"},
      {"model", device.model()},
      {"osName", "iOS"},
      {"osPlatform", "iOS"},
      {"deviceName", device.deviceName()},
      {"osVersion", device.systemVersion()},
      {"isRooted", 0},
  };
}

json signUpBody(const std::string& username, const std::string& password, const std::string& passwordConfirmation,
                const std::string& contactEmail, const std::optional<std::string>& region) {
  return json{
      {"username", username},
      {"password", password},
      {"password_confirmation", passwordConfirmation},
      {"country", region ? json(*region) : json(nullptr)},
      {"enable_email_verification", 0},
      {"contact_email", contactEmail},
  };
}

json passwordResetRequestBody(const std::string& username) {
  return json{{"username", username}, {"verification_type", "2"}};
}

json resetPasswordBody(const std::string& username, const std::string& token, const std::string& password,
                       const std::string& passwordConfirmation) {
  return json{
      {"username", username},
      {"token", token},
      {"password", password},
      {"password_confirmation", passwordConfirmation},
  };
}

json wireGuardConfigBody(const std::string& username, const std::string& password, std::int64_t vpnServerID,
                         std::int64_t ipID, std::int64_t connectionType) {
  return json{
      {"username", username},
      {"pass", password},
      {"vpnserverId", vpnServerID},
      {"ipId", ipID},
      {"connection_type", connectionType},
      {"response_type", "json"},
  };
}

json loggedInDevicesBody(const std::string& username, const std::string& password, const std::string& udid) {
  return json{{"username", username}, {"pass", password}, {"udid", udid}};
}

json pinOfflineBody(const std::string& username, const std::string& password, const std::string& udid) {
  return json{{"username", username}, {"pass", password}, {"udid", udid}};
}

std::optional<std::string> serializeBody(const json& body) {
  try {
    return body.dump();
  } catch (const json::exception&) {
    return std::nullopt;
  }
}

}  // namespace corvane::api
