#pragma once
// The announcement answer: two texts, one for the dashboard and one for the login screen.
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/result.h"

namespace corvane::api {

struct Announcements {
  std::string one;  // "announcement_one"
  std::string two;  // "announcement_two"
};

// Error: the body is not JSON. No value: JSON, but not an object holding both members as
// strings (the caller stores nothing then).
Result<std::optional<Announcements>> parseAnnouncements(std::string_view body);

}  // namespace corvane::api
