#include "tunnelcore/profile_manager.h"

namespace corvane::tunnelcore {

Result<std::int64_t> ProfileManager::nextID() {
  auto largest = database_.largestId();
  if (!largest) return largest.error();
  return *largest + 1;
}

Result<Profile> ProfileManager::create(Profile profile) {
  if (profile.id <= 0) {
    auto id = nextID();
    if (!id) return id.error();
    profile.id = *id;
  }
  if (auto stored = database_.insert(profile); !stored) return stored.error();
  return profile;
}

Result<std::optional<Profile>> ProfileManager::get(std::int64_t id) { return database_.profile(id); }

Result<std::vector<Profile>> ProfileManager::list() { return database_.profiles(false); }

Result<std::vector<Profile>> ProfileManager::listAutoUpdateEnabled() { return database_.profiles(true); }

Result<void> ProfileManager::update(const Profile& profile) { return database_.update(profile); }

}  // namespace corvane::tunnelcore
