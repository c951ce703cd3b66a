#pragma once
// Short, secret-free descriptions of backend results for the screens' log lines.
#include <string>

#include "api/records/device_response.h"
#include "api/records/user.h"

namespace corvane::screens {

// "message: <message>, servers: <n>"; no credentials or configurations.
std::string describe(const api::User& user);
std::string describe(const api::DeviceResponse& response);

}  // namespace corvane::screens
