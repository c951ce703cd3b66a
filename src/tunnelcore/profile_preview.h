#pragma once
// What a profile list shows of a profile: no content, no path.
#include <cstdint>
#include <string>

#include "tunnelcore/profile.h"

namespace corvane::tunnelcore {

struct ProfilePreview {
  std::int64_t id = 0;
  std::string name;
  std::int64_t order = 0;
  ProfileType type = ProfileType::local;
  bool autoUpdate = false;

  explicit ProfilePreview(const Profile& profile)
      : id(profile.id), name(profile.name), order(profile.order), type(profile.type),
        autoUpdate(profile.autoUpdate) {}
  ProfilePreview() = default;

  friend bool operator==(const ProfilePreview&, const ProfilePreview&) = default;
};

}  // namespace corvane::tunnelcore
