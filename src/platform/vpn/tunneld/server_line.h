#pragma once
// One line from the daemon as a client reads it: an answer or an event.
#include <optional>

#include "platform/vpn/tunneld/answer.h"
#include "platform/vpn/tunneld/event.h"

namespace corvane::platform::tunneld {

struct ServerLine {
  std::optional<Answer> answer;
  std::optional<Event> event;
  friend bool operator==(const ServerLine&, const ServerLine&) = default;
};

}  // namespace corvane::platform::tunneld
