#include "daemon/engines/config_refusal.h"

namespace corvane::daemon::engines {

std::string excerpt(std::string_view text) {
  constexpr std::size_t kShown = 60;
  std::string out = "'";
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
  }
  if (text.size() > kShown) out += "...";
  out += "'";
  return out;
}

}  // namespace corvane::daemon::engines
