#pragma once
// A login answer as the backend sends it, with `servers` catalogue entries. Every IPBundle key
// is filled, and each "config" is about 2 KB of Base64 (an engine configuration), so the
// catalogue dominates the answer as it does in practice.
#include <cstddef>
#include <string>

namespace corvane::bench {

std::string loginAnswer(std::size_t servers);

}  // namespace corvane::bench
