#pragma once
// One open SQLite connection to a preference file, checked on open, with its statements
// prepared. Not thread-safe: SqlitePreferenceStore serialises every call.
//
// File format: table `preferences(key, kind, value)`, kind 0 flag, 1 integer, 2 text, in a
// database whose application_id marks it as ours. Write-ahead log with synchronous=FULL: a
// commit returns only after its log frame is on disk, and costs one fsync (a rollback journal
// costs several: journal, its folder, the database).
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/result.h"
#include "platform/preferences/preference_store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace corvane::platform {

class PreferenceDatabase {
 public:
  using Entries = std::vector<std::pair<std::string, PreferenceValue>>;

  // Opens `file`, creating it (0600) when missing. Errors in the "SQLite" domain carry
  // SQLite's extended result code; see isUnreadableStore for the ones that mean the file
  // must be moved aside.
  static Result<std::unique_ptr<PreferenceDatabase>> open(const std::filesystem::path& file);
  ~PreferenceDatabase();
  PreferenceDatabase(const PreferenceDatabase&) = delete;
  PreferenceDatabase& operator=(const PreferenceDatabase&) = delete;

  Result<std::optional<PreferenceValue>> lookup(std::string_view key);
  Result<void> store(std::string_view key, const PreferenceValue& value);
  Result<void> remove(std::string_view key);
  Result<Entries> entries();

  // Whether `file` still names the file this connection opened (another process may have
  // moved it aside, or someone deleted it).
  bool stillAt(const std::filesystem::path& file) const;

 private:
  PreferenceDatabase() = default;
  Result<void> configure(const std::filesystem::path& file);
  Result<void> checkIntegrity();
  Result<void> checkSchema();
  Result<void> prepareForWriting();
  Result<void> prepareStatements();
  Error lastError(std::string_view doing) const;

  sqlite3* db_ = nullptr;
  sqlite3_stmt* select_ = nullptr;
  sqlite3_stmt* upsert_ = nullptr;
  sqlite3_stmt* delete_ = nullptr;
  sqlite3_stmt* all_ = nullptr;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

// Errors that mean the file is not a usable preference store: not SQLite at all, damaged,
// somebody else's database, marked read-only in its header, or a folder or link in its place.
bool isUnreadableStore(const Error& error);
// Errors that a later attempt may not meet: another process held the lock too long.
bool isBusy(const Error& error);

}  // namespace corvane::platform
