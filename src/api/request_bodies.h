#pragma once
// The JSON bodies of the API's POST operations. Key spellings and JSON types are the backend's
// and differ between operations: the login password goes under "pass", the sign-up password
// under "password"; "verification_type" is the text "2", not a number.
#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/device/device_info.h"

namespace corvane::api {

nlohmann::json loginBody(const std::string& username, const std::string& password, const std::string& udid,
                         const platform::DeviceInfo& device);
nlohmann::json signUpBody(const std::string& username, const std::string& password,
                          const std::string& passwordConfirmation, const std::string& contactEmail,
                          const std::optional<std::string>& region);
nlohmann::json passwordResetRequestBody(const std::string& username);
nlohmann::json resetPasswordBody(const std::string& username, const std::string& token, const std::string& password,
                                 const std::string& passwordConfirmation);
nlohmann::json wireGuardConfigBody(const std::string& username, const std::string& password,
                                   std::int64_t vpnServerID, std::int64_t ipID, std::int64_t connectionType);
nlohmann::json loggedInDevicesBody(const std::string& username, const std::string& password,
                                   const std::string& udid);
nlohmann::json pinOfflineBody(const std::string& username, const std::string& password,
                              const std::string& udid);

// Compact JSON text, or no value when the body cannot be written as JSON (a text that is not
// UTF-8); the request then goes out with no body, and the backend refuses it.
std::optional<std::string> serializeBody(const nlohmann::json& body);

}  // namespace corvane::api
