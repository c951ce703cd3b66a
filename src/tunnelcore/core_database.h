#pragma once
// The tunnel core's one SQLite database in the shared folder: the profile records and the
// shared preferences (the selected profile, the network-permission flag). Several processes
// open it (the app, corvanectl, the profile server); write-ahead logging lets readers go on
// while one of them commits, and a busy writer is waited for up to 2 s. Thread-safe: every
// call holds the connection's mutex.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/result.h"
#include "tunnelcore/profile.h"

struct sqlite3;

namespace corvane::tunnelcore {

class CoreDatabase {
 public:
  // Opens (creating 0600 when missing) the database file. Errors are in the "SQLite" domain.
  static Result<std::unique_ptr<CoreDatabase>> open(const std::filesystem::path& file);
  ~CoreDatabase();
  CoreDatabase(const CoreDatabase&) = delete;
  CoreDatabase& operator=(const CoreDatabase&) = delete;

  // Profiles by `order`, then id. `autoUpdateOnly` keeps the remote profiles marked for
  // automatic update (a local profile has nowhere to update from, whatever its flag says).
  Result<std::vector<Profile>> profiles(bool autoUpdateOnly);
  Result<std::optional<Profile>> profile(std::int64_t id);
  // Adds a profile; an id already taken is refused ("constraint failed").
  Result<void> insert(const Profile& profile);
  // Replaces the record of `profile.id`; a missing record is an error.
  Result<void> update(const Profile& profile);
  // The largest profile id, 0 when there is none.
  Result<std::int64_t> largestId();

  Result<std::optional<std::int64_t>> preference(std::string_view key);
  Result<void> setPreference(std::string_view key, std::int64_t value);

 private:
  CoreDatabase() = default;
  Error lastError(std::string_view doing) const;
  Result<void> exec(const char* sql);

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
};

}  // namespace corvane::tunnelcore
