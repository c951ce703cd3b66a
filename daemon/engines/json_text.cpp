#include "daemon/engines/json_text.h"

#include "daemon/engines/config_refusal.h"

namespace corvane::daemon::engines {
namespace {

constexpr int kMaxDepth = 32;

bool tooDeep(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
      continue;
    }
    if (c == '"') inString = true;
    else if (c == '{' || c == '[') {
      if (++depth > kMaxDepth) return true;
    } else if (c == '}' || c == ']') --depth;
  }
  return false;
}

// The scan above can be misled by a quote inside a comment; the parsed tree is measured as
// well before anything recursive (dump, the checks) walks it. Recursion stops at the limit.
bool treeTooDeep(const nlohmann::json& node, int depth) {
  if (depth > kMaxDepth) return true;
  if (!node.is_structured()) return false;
  for (const auto& child : node) {
    if (treeTooDeep(child, depth + 1)) return true;
  }
  return false;
}

}  // namespace

Result<nlohmann::json> parseJsonText(std::string_view text, std::string_view what, std::size_t maxBytes) {
  if (text.size() > maxBytes) {
    return configRefused(std::string(what) + " is " + std::to_string(text.size()) + " bytes; at most " +
                         std::to_string(maxBytes) + " are accepted");
  }
  if (tooDeep(text)) return configRefused(std::string(what) + " nests deeper than 32 levels");
  auto json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false, /*ignore_comments=*/true);
  if (json.is_discarded()) return configRefused(std::string(what) + " is not valid JSON");
  if (treeTooDeep(json, 1)) return configRefused(std::string(what) + " nests deeper than 32 levels");
  if (!json.is_object()) return configRefused(std::string(what) + " is not a JSON object");
  return json;
}

}  // namespace corvane::daemon::engines
