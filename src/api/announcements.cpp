#include "api/announcements.h"

#include "api/untyped_json.h"

namespace corvane::api {

Result<std::optional<Announcements>> parseAnnouncements(std::string_view body) {
  auto json = parseUntypedJson(body);
  if (!json) {
    return json.error();
  }
  auto one = json->string("announcement_one");
  auto two = json->string("announcement_two");
  if (!one || !two) {
    return std::optional<Announcements>();
  }
  return std::optional<Announcements>(Announcements{std::move(*one), std::move(*two)});
}

}  // namespace corvane::api
