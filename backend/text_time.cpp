#include "backend/text_time.h"

#include <ctime>

namespace corvane::backend {
namespace {

std::string format(std::int64_t seconds, const char* pattern) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char out[32];
  return std::string(out, std::strftime(out, sizeof out, pattern, &tm));
}

}  // namespace

std::string utcDateTime(std::int64_t seconds) { return format(seconds, "%Y-%m-%d %H:%M:%S"); }
std::string utcDate(std::int64_t seconds) { return format(seconds, "%Y-%m-%d"); }

}  // namespace corvane::backend
