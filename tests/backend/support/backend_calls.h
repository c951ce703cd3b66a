#pragma once
// Small helpers for talking to the reference backend in tests.
#include <httplib.h>

#include <string>

#include <nlohmann/json.hpp>

namespace corvane::test {

struct JsonAnswer {
  int status = 0;       // HTTP status; 0 when no answer arrived
  nlohmann::json body;  // discarded (is_discarded()) when the body is not JSON
  std::string text;
};

JsonAnswer postRaw(httplib::Client& client, const std::string& path, const std::string& body,
                   const std::string& contentType = "application/json");
JsonAnswer postJson(httplib::Client& client, const std::string& path, const nlohmann::json& body);
JsonAnswer getJson(httplib::Client& client, const std::string& path);

// A login body with the 14 keys a client sends.
nlohmann::json loginBody(const std::string& username, const std::string& password,
                         const std::string& udid = "5F1C2B9A-0000-4000-8000-00000000C0DE");
nlohmann::json signUpBody(const std::string& username, const std::string& password,
                          const std::string& confirmation, const std::string& contactEmail);

}  // namespace corvane::test
