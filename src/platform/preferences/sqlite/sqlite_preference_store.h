#pragma once
// PreferenceStore over one SQLite file (see PreferenceDatabase for the format).
//
// - Durable and visible: a write returns after its commit is on disk, and every read runs a
//   fresh transaction, so it sees every write that returned before it, in this process or in
//   another one sharing the file.
// - Threads: one connection behind a mutex; the calls are short, so waiting is short too.
// - Processes: SQLite's file locks; a writer waits up to 2 s for another process's commit and
//   tries three times before it gives up and logs the failure.
// - Damage: a file that is not a readable preference store (garbage, truncated, another
//   program's database, a folder in its place), found on open or on any later call, is moved
//   aside to "<file>.corrupt-<time>", never deleted; the log names both files and the store
//   carries on empty. An empty (zero-length) file holds nothing to keep and opens as an
//   empty store.
// - The file is 0600 in a folder made 0700.
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/core/result.h"
#include "platform/log/log.h"
#include "platform/preferences/preference_store.h"

namespace corvane::platform {

class PreferenceDatabase;

class SqlitePreferenceStore final : public PreferenceStore {
 public:
  // Fails only when no store can be had at all (the folder cannot be made, the disk refuses
  // the file); a damaged file is not a failure, it is moved aside.
  static Result<std::unique_ptr<SqlitePreferenceStore>> open(std::filesystem::path file, Log log);
  ~SqlitePreferenceStore() override;

  bool boolForKey(std::string_view key) const override;
  std::int64_t integerForKey(std::string_view key) const override;
  std::optional<std::string> stringForKey(std::string_view key) const override;
  std::optional<PreferenceValue> objectForKey(std::string_view key) const override;

  // These log a failed write (with the key, never the value) since their callers cannot act
  // on it; `write` reports it instead.
  void setBool(std::string_view key, bool value) override;
  void setInteger(std::string_view key, std::int64_t value) override;
  void setString(std::string_view key, std::optional<std::string> value) override;
  void removeObject(std::string_view key) override;

  std::vector<std::pair<std::string, PreferenceValue>> allEntries() const override;

  // Stores `value` under `key`, or removes the key when there is no value.
  Result<void> write(std::string_view key, std::optional<PreferenceValue> value);
  // Every entry, sorted by key, or the reason they could not be read.
  Result<std::vector<std::pair<std::string, PreferenceValue>>> entries() const;

  const std::filesystem::path& file() const { return file_; }

 private:
  SqlitePreferenceStore(std::filesystem::path file, Log log);

  Result<void> openLocked() const;
  Result<void> moveAsideLocked(const Error& reason) const;
  // Runs `operation` on the connection with the recovery rules above. Caller holds mutex_.
  Result<void> runLocked(const std::function<Result<void>(PreferenceDatabase&)>& operation) const;
  std::optional<PreferenceValue> lookup(std::string_view key) const;
  void writeAndLog(std::string_view key, std::optional<PreferenceValue> value);

  const std::filesystem::path file_;
  const Log log_;
  mutable std::mutex mutex_;
  // Reopened after damage or when the file was moved away; hence mutable behind the mutex.
  mutable std::unique_ptr<PreferenceDatabase> database_;
};

}  // namespace corvane::platform
