#include "screens/record_descriptions.h"

namespace corvane::screens {

std::string describe(const api::User& user) {
  return "message: " + user.message.value_or("") +
         ", servers: " + std::to_string(user.ipBundle ? user.ipBundle->size() : 0);
}

std::string describe(const api::DeviceResponse& response) {
  return "message: " + response.message.value_or("") +
         ", devices: " + std::to_string(response.data ? response.data->size() : 0);
}

}  // namespace corvane::screens
