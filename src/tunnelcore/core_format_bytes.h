#pragma once
// Byte counts for people, by one rule: below 1024 the count with "B"; otherwise the count in
// the largest binary unit (KB = 1024 B, MB, GB, TB, PB, EB) that keeps it at least 1, with one
// decimal below 100 and none from 100 on. Rounding never shows 1024 of a unit: 1048575 B
// is "1.0 MB", not "1024 KB".
#include <cstdint>
#include <string>

namespace corvane::tunnelcore {

std::string CoreFormatBytes(std::int64_t bytes);

}  // namespace corvane::tunnelcore
