#pragma once
// One tunnel profile: its record in the profile database and its content, a configuration
// text kept in the file at `path`. Content is written crash-safely (a temporary, fsync,
// rename), so a tunnel never starts from half a configuration.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/core/result.h"
#include "tunnelcore/profile_type.h"

namespace corvane::tunnelcore {

using WallClock = std::chrono::system_clock;

struct Profile {
  // The daemon takes a whole configuration on one request line of at most 1 MiB; half of it
  // leaves room for JSON escaping. Larger content is refused on write and on download.
  static constexpr std::size_t kMaxContentBytes = std::size_t{512} << 10;

  std::int64_t id = 0;
  std::string name;
  std::int64_t order = 0;
  ProfileType type = ProfileType::local;
  std::string path;  // absolute; empty until the profile has content of its own
  std::optional<std::string> remoteURL;
  bool autoUpdate = false;
  std::int32_t autoUpdateInterval = 0;  // minutes; below 1 means hourly
  std::optional<WallClock::time_point> lastUpdated;

  // The configuration text. Errors name the file; an empty path is "Profile has no file".
  Result<std::string> read() const;
  // Replaces the content. Refuses content over kMaxContentBytes and an empty path.
  Result<void> write(const std::string& content) const;

  // Seconds between automatic updates: the interval in minutes, or an hour below 1.
  std::chrono::seconds updatePeriod() const;
};

}  // namespace corvane::tunnelcore
