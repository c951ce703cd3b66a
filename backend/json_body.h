#pragma once
// Reading request bodies. Every POST body must be one JSON object; a field of the wrong JSON
// type, or a required field that is missing, is the caller's mistake and becomes a 400 answer
// (see BadRequest) instead of a guess.
#include <cstdint>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace corvane::backend {

class BadRequest : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws BadRequest unless `body` is a JSON object.
nlohmann::json parseJsonObject(const std::string& body);

std::string requireText(const nlohmann::json& object, const char* key);
std::int64_t requireInteger(const nlohmann::json& object, const char* key);
// A missing key or null gives `fallback`; any other non-text value is a BadRequest.
std::string optionalText(const nlohmann::json& object, const char* key, const std::string& fallback = {});
std::int64_t optionalInteger(const nlohmann::json& object, const char* key, std::int64_t fallback = 0);

}  // namespace corvane::backend
