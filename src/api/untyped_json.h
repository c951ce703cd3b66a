#pragma once
// Untyped JSON as the link table and the announcements are read: any JSON value, looked at
// member by member, with a readable description for log lines. Only an array or an object is
// accepted at the top level (a bare "5" or "\"x\"" is not a JSON document here).
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/result.h"

namespace corvane::api {

struct UntypedJson {
  bool isObject = false;
  // The object's members whose values are strings (a repeated key: the last one wins).
  std::map<std::string, std::string, std::less<>> strings;
  // The whole value in dictionary notation, e.g. ["domain_link_1": "http://x", "n": 1];
  // cut at kMaxDescriptionLength so a huge answer cannot flood the log.
  std::string description;

  std::optional<std::string> string(std::string_view key) const;
};

inline constexpr std::size_t kMaxDescriptionLength = 4096;

// A "JSONError" with the parser's message when `body` is not JSON or its top level is a
// scalar.
Result<UntypedJson> parseUntypedJson(std::string_view body);

}  // namespace corvane::api
