#pragma once
// Reading request bodies. Every POST body must be one JSON object; a field of the wrong JSON
// type, or a required field that is missing, is the caller's mistake and becomes a 400 answer
// (see BadRequest) instead of a guess.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace corvane::backend {

class BadRequest : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Request bodies are flat objects; nesting beyond this is refused before anything is built,
// so a body of "[[[[..." costs a scan, not a tree.
inline constexpr int kMaxJsonDepth = 16;

// Throws BadRequest unless `body` is a JSON object nested at most kMaxJsonDepth deep.
nlohmann::json parseJsonObject(const std::string& body);

// The deepest nesting of arrays and objects in `text`, counting only brackets outside strings;
// stops counting (and returns limit + 1) once it passes `limit`.
int jsonNestingDepth(std::string_view text, int limit);

std::string requireText(const nlohmann::json& object, const char* key);
std::int64_t requireInteger(const nlohmann::json& object, const char* key);
// A missing key or null gives `fallback`; any other non-text value is a BadRequest.
std::string optionalText(const nlohmann::json& object, const char* key, const std::string& fallback = {});
std::int64_t optionalInteger(const nlohmann::json& object, const char* key, std::int64_t fallback = 0);

}  // namespace corvane::backend
