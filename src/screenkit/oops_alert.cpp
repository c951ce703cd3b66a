#include "screenkit/oops_alert.h"

namespace corvane::screenkit {

std::string oopsMessage(const std::optional<std::string>& stored) {
  if (!stored) return {};
  constexpr std::string_view prefix = "Optional(";
  std::string_view text = *stored;
  while (text.size() >= prefix.size() + 1 && text.starts_with(prefix) && text.ends_with(')')) {
    text = text.substr(prefix.size(), text.size() - prefix.size() - 1);
  }
  return std::string(text);
}

}  // namespace corvane::screenkit
