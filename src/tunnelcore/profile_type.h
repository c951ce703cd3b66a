#pragma once
// Where a profile's content comes from. The raw values are stored in the profile database.
#include <cstdint>

namespace corvane::tunnelcore {

enum class ProfileType : std::int32_t {
  local = 0,   // content kept in a file of the shared folder, written by the app
  icloud = 1,  // a synced file; there is no sync service on Linux, so it reads like local
  remote = 2,  // content fetched from `remoteURL` and cached in a file
};

}  // namespace corvane::tunnelcore
