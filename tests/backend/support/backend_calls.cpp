#include "backend/support/backend_calls.h"

namespace corvane::test {
namespace {

JsonAnswer answerOf(const httplib::Result& res) {
  JsonAnswer answer;
  if (!res) return answer;
  answer.status = res->status;
  answer.text = res->body;
  answer.body = nlohmann::json::parse(res->body, nullptr, false);
  return answer;
}

}  // namespace

JsonAnswer postRaw(httplib::Client& client, const std::string& path, const std::string& body,
                   const std::string& contentType) {
  return answerOf(client.Post(path.c_str(), body, contentType.c_str()));
}

JsonAnswer postJson(httplib::Client& client, const std::string& path, const nlohmann::json& body) {
  return postRaw(client, path, body.dump());
}

JsonAnswer getJson(httplib::Client& client, const std::string& path) { return answerOf(client.Get(path.c_str())); }

nlohmann::json loginBody(const std::string& username, const std::string& password, const std::string& udid) {
  return {{"username", username}, {"pass", password},       {"udid", udid},         {"device_type", 2},
          {"player_id", "No_One_Signal"}, {"app_id", 0},   {"vpnAppVersion", "0.1.0"}, {"brand", "apple"},
          {"model", "x86_64"},     {"osName", "iOS"},        {"osPlatform", "iOS"},  {"deviceName", "testhost"},
          {"osVersion", "17.2"},   {"isRooted", 0}};
}

nlohmann::json signUpBody(const std::string& username, const std::string& password, const std::string& confirmation,
                          const std::string& contactEmail) {
  return {{"username", username},
          {"password", password},
          {"password_confirmation", confirmation},
          {"country", "DE"},
          {"enable_email_verification", 0},
          {"contact_email", contactEmail}};
}

}  // namespace corvane::test
