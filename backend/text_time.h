#pragma once
#include <cstdint>
#include <string>

namespace corvane::backend {

// Unix seconds as UTC text: "2026-12-07 08:00:00" and "2026-12-07".
std::string utcDateTime(std::int64_t seconds);
std::string utcDate(std::int64_t seconds);

}  // namespace corvane::backend
