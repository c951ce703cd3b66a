#include "tunnelcore/core_format_bytes.h"

#include <cmath>
#include <cstdio>

namespace corvane::tunnelcore {

std::string CoreFormatBytes(std::int64_t bytes) {
  // A negative count is a counter that went backwards (an engine restart); show nothing moved.
  if (bytes < 1024) return std::to_string(bytes < 0 ? 0 : bytes) + " B";
  static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  double value = static_cast<double>(bytes) / 1024.0;
  std::size_t unit = 0;
  auto shown = [](double v) { return v < 100.0 ? std::round(v * 10.0) / 10.0 : std::round(v); };
  while (unit + 1 < std::size(kUnits) && shown(value) >= 1024.0) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  const double rounded = shown(value);
  if (rounded < 100.0) {
    std::snprintf(text, sizeof text, "%.1f %s", rounded, kUnits[unit]);
  } else {
    std::snprintf(text, sizeof text, "%.0f %s", rounded, kUnits[unit]);
  }
  return text;
}

}  // namespace corvane::tunnelcore
