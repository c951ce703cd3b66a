#pragma once
// The profile records of the tunnel core. Calls block on the database and are made from
// background tasks, never from the main loop.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/core/result.h"
#include "tunnelcore/core_database.h"
#include "tunnelcore/profile.h"

namespace corvane::tunnelcore {

class ProfileManager {
 public:
  explicit ProfileManager(CoreDatabase& database) : database_(database) {}

  // One more than the largest id in use (1 for an empty database): never taken yet.
  Result<std::int64_t> nextID();
  // Stores `profile` under its own id, which must be free; an id of 0 or below takes nextID.
  // Returns the stored profile (with the id it got).
  Result<Profile> create(Profile profile);
  Result<std::optional<Profile>> get(std::int64_t id);
  Result<std::vector<Profile>> list();
  // Remote profiles marked for automatic update; a local profile's flag means nothing.
  Result<std::vector<Profile>> listAutoUpdateEnabled();
  // Saves a changed record (path, lastUpdated, ...) of an existing profile.
  Result<void> update(const Profile& profile);

 private:
  CoreDatabase& database_;
};

}  // namespace corvane::tunnelcore
