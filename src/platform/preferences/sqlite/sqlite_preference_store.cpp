#include "platform/preferences/sqlite/sqlite_preference_store.h"

#include "platform/paths/paths.h"
#include "platform/preferences/preference_value_rules.h"
#include "platform/preferences/sqlite/preference_database.h"
#include "platform/preferences/sqlite/store_file.h"

namespace corvane::platform {
namespace fs = std::filesystem;
namespace {

// Busy attempts, each after SQLite's own 2 s wait: a lock held longer than that is a stuck
// process, and the write is reported as failed instead of hanging its caller.
constexpr int kBusyAttempts = 3;

}  // namespace

SqlitePreferenceStore::SqlitePreferenceStore(fs::path file, Log log)
    : file_(std::move(file)), log_(std::move(log)) {}

SqlitePreferenceStore::~SqlitePreferenceStore() = default;

Result<std::unique_ptr<SqlitePreferenceStore>> SqlitePreferenceStore::open(fs::path file, Log log) {
  std::unique_ptr<SqlitePreferenceStore> store(
      new SqlitePreferenceStore(std::move(file), std::move(log)));
  std::lock_guard lock(store->mutex_);
  if (auto opened = store->runLocked([](PreferenceDatabase&) { return Result<void>(); }); !opened) {
    return opened.error();
  }
  return store;
}

Result<void> SqlitePreferenceStore::openLocked() const {
  try {
    ensurePrivateDirectory(file_.parent_path());
  } catch (const fs::filesystem_error& e) {
    return Error(kStoreFileDomain, e.code().value(), e.what());
  }
  auto opened = PreferenceDatabase::open(file_);
  if (!opened && isUnreadableStore(opened.error())) {
    if (auto moved = moveAsideLocked(opened.error()); !moved) {
      return moved.error();
    }
    opened = PreferenceDatabase::open(file_);
  }
  if (!opened) {
    return opened.error();
  }
  database_ = std::move(*opened);
  return {};
}

Result<void> SqlitePreferenceStore::moveAsideLocked(const Error& reason) const {
  database_.reset();
  auto target = moveAside(file_);
  if (!target) {
    log_.error("Preference store " + file_.string() + " is unreadable (" + reason.description +
               ") and could not be moved aside: " + target.error().description);
    return target.error();
  }
  log_.warning("Preference store " + file_.string() + " is unreadable (" + reason.description +
               "); moved it to " + target->string() + " and starting empty");
  return {};
}

Result<void> SqlitePreferenceStore::runLocked(
    const std::function<Result<void>(PreferenceDatabase&)>& operation) const {
  bool movedAside = false;
  for (int attempt = 1;; ++attempt) {
    // Each attempt starts afresh: an error kept from the one before would skip the
    // operation and turn every retry into a copy of the first failure.
    Result<void> outcome;
    // Another process may have moved a damaged file aside, or someone removed it: follow the
    // name, not the old file, or the writes would go where nobody reads them.
    if (!database_ || !database_->stillAt(file_)) {
      database_.reset();
      outcome = openLocked();
    }
    if (outcome) {
      outcome = operation(*database_);
      if (outcome) {
        return outcome;
      }
      if (isUnreadableStore(outcome.error()) && !movedAside) {
        // Damage found during use. Once only: a fresh file that fails again has a cause that
        // moving files will not cure.
        movedAside = true;
        if (auto moved = moveAsideLocked(outcome.error()); !moved) {
          return moved;
        }
        --attempt;
        continue;
      }
    }
    if (!isBusy(outcome.error()) || attempt >= kBusyAttempts) {
      return outcome;
    }
  }
}

std::optional<PreferenceValue> SqlitePreferenceStore::lookup(std::string_view key) const {
  std::optional<PreferenceValue> value;
  std::lock_guard lock(mutex_);
  auto done = runLocked([&](PreferenceDatabase& database) -> Result<void> {
    auto found = database.lookup(key);
    if (!found) {
      return found.error();
    }
    value = std::move(*found);
    return {};
  });
  if (!done) {
    log_.error("Preference read of \"" + std::string(key) + "\" from " + file_.string() +
               " failed: " + done.error().description);
  }
  return value;
}

bool SqlitePreferenceStore::boolForKey(std::string_view key) const {
  auto value = lookup(key);
  return value && flagFromValue(*value);
}

std::int64_t SqlitePreferenceStore::integerForKey(std::string_view key) const {
  auto value = lookup(key);
  return value ? integerFromValue(*value) : 0;
}

std::optional<std::string> SqlitePreferenceStore::stringForKey(std::string_view key) const {
  auto value = lookup(key);
  if (!value) {
    return std::nullopt;
  }
  return textFromValue(*value);
}

std::optional<PreferenceValue> SqlitePreferenceStore::objectForKey(std::string_view key) const {
  return lookup(key);
}

Result<void> SqlitePreferenceStore::write(std::string_view key,
                                          std::optional<PreferenceValue> value) {
  std::lock_guard lock(mutex_);
  return runLocked([&](PreferenceDatabase& database) {
    return value ? database.store(key, *value) : database.remove(key);
  });
}

void SqlitePreferenceStore::writeAndLog(std::string_view key,
                                        std::optional<PreferenceValue> value) {
  if (auto done = write(key, std::move(value)); !done) {
    log_.error("Preference write of \"" + std::string(key) + "\" to " + file_.string() +
               " failed: " + done.error().description);
  }
}

void SqlitePreferenceStore::setBool(std::string_view key, bool value) {
  writeAndLog(key, PreferenceValue(value));
}

void SqlitePreferenceStore::setInteger(std::string_view key, std::int64_t value) {
  writeAndLog(key, PreferenceValue(value));
}

void SqlitePreferenceStore::setString(std::string_view key, std::optional<std::string> value) {
  if (value) {
    writeAndLog(key, PreferenceValue(std::move(*value)));
  } else {
    writeAndLog(key, std::nullopt);
  }
}

void SqlitePreferenceStore::removeObject(std::string_view key) { writeAndLog(key, std::nullopt); }

Result<std::vector<std::pair<std::string, PreferenceValue>>> SqlitePreferenceStore::entries()
    const {
  std::vector<std::pair<std::string, PreferenceValue>> out;
  std::lock_guard lock(mutex_);
  auto done = runLocked([&](PreferenceDatabase& database) -> Result<void> {
    auto all = database.entries();
    if (!all) {
      return all.error();
    }
    out = std::move(*all);
    return {};
  });
  if (!done) {
    return done.error();
  }
  return out;
}

std::vector<std::pair<std::string, PreferenceValue>> SqlitePreferenceStore::allEntries() const {
  auto all = entries();
  if (!all) {
    log_.error("Preference listing of " + file_.string() + " failed: " + all.error().description);
    return {};
  }
  return std::move(*all);
}

}  // namespace corvane::platform
