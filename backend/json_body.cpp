#include "backend/json_body.h"

#include <algorithm>

namespace corvane::backend {
namespace {

const nlohmann::json* member(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it == object.end() || it->is_null() ? nullptr : &*it;
}

std::string quoted(const char* key) { return std::string("\"") + key + "\""; }

}  // namespace

int jsonNestingDepth(std::string_view text, int limit) {
  int depth = 0;
  int deepest = 0;
  bool inString = false;
  bool escaped = false;
  for (const char c : text) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
      if (deepest > limit) return limit + 1;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

nlohmann::json parseJsonObject(const std::string& body) {
  if (jsonNestingDepth(body, kMaxJsonDepth) > kMaxJsonDepth) {
    throw BadRequest("The request body is nested too deeply.");
  }
  nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
  if (parsed.is_discarded()) throw BadRequest("The request body is not valid JSON.");
  if (!parsed.is_object()) throw BadRequest("The request body must be a JSON object.");
  return parsed;
}

std::string requireText(const nlohmann::json& object, const char* key) {
  const nlohmann::json* value = member(object, key);
  if (!value) throw BadRequest("The " + quoted(key) + " field is missing.");
  if (!value->is_string()) throw BadRequest("The " + quoted(key) + " field must be text.");
  return value->get<std::string>();
}

std::int64_t requireInteger(const nlohmann::json& object, const char* key) {
  const nlohmann::json* value = member(object, key);
  if (!value) throw BadRequest("The " + quoted(key) + " field is missing.");
  if (!value->is_number_integer()) throw BadRequest("The " + quoted(key) + " field must be an integer.");
  return value->get<std::int64_t>();
}

std::string optionalText(const nlohmann::json& object, const char* key, const std::string& fallback) {
  const nlohmann::json* value = member(object, key);
  if (!value) return fallback;
  if (!value->is_string()) throw BadRequest("The " + quoted(key) + " field must be text.");
  return value->get<std::string>();
}

std::int64_t optionalInteger(const nlohmann::json& object, const char* key, std::int64_t fallback) {
  const nlohmann::json* value = member(object, key);
  if (!value) return fallback;
  if (!value->is_number_integer()) throw BadRequest("The " + quoted(key) + " field must be an integer.");
  return value->get<std::int64_t>();
}

}  // namespace corvane::backend
