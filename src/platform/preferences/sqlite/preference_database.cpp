#include "platform/preferences/sqlite/preference_database.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/preferences/sqlite/store_file.h"

namespace corvane::platform {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSqliteDomain = "SQLite";
// "CRVP": marks a database as a preference store, so that another program's SQLite file put
// in its place is recognised as foreign instead of being written into.
constexpr int kApplicationId = 0x43525650;
// A writer of another process holds the lock for one short commit; 2 s covers a slow fsync.
constexpr int kBusyTimeoutMs = 2000;

enum Kind : int { kFlag = 0, kInteger = 1, kText = 2 };

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS preferences("
    " key TEXT PRIMARY KEY NOT NULL,"
    " kind INTEGER NOT NULL CHECK (kind IN (0, 1, 2)),"
    " value NOT NULL) WITHOUT ROWID;";

Error notAStore(std::string description) {
  return Error(kSqliteDomain, SQLITE_NOTADB, "not a preference store: " + std::move(description));
}

// Runs `sql` and collects the first column of every row as text.
Result<std::vector<std::string>> queryColumn(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  int code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  std::vector<std::string> rows;
  while (code == SQLITE_OK || code == SQLITE_ROW) {
    code = sqlite3_step(statement);
    if (code == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
      rows.emplace_back(text != nullptr ? text : "");
    }
  }
  sqlite3_finalize(statement);
  if (code != SQLITE_DONE) {
    return Error(kSqliteDomain, sqlite3_extended_errcode(db), sqlite3_errmsg(db));
  }
  return rows;
}

void bindKey(sqlite3_stmt* statement, std::string_view key) {
  sqlite3_bind_text(statement, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
}

PreferenceValue columnValue(sqlite3_stmt* statement, int kindColumn) {
  const int kind = sqlite3_column_int(statement, kindColumn);
  const int valueColumn = kindColumn + 1;
  if (kind == kFlag) {
    return sqlite3_column_int64(statement, valueColumn) != 0;
  }
  if (kind == kInteger) {
    return static_cast<std::int64_t>(sqlite3_column_int64(statement, valueColumn));
  }
  const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, valueColumn));
  const int size = sqlite3_column_bytes(statement, valueColumn);
  return std::string(text != nullptr ? text : "", static_cast<std::size_t>(size));
}

// Statements are reset after each use so that no read transaction stays open: an open one
// would pin an old snapshot and hide other processes' later writes.
struct ResetOnExit {
  sqlite3_stmt* statement;
  ~ResetOnExit() {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
  }
};

}  // namespace

bool isUnreadableStore(const Error& error) {
  if (error.domain == kSqliteDomain) {
    const int primary = static_cast<int>(error.code) & 0xff;
    // Our statements are fixed and valid, so a plain SQL error (SQLITE_ERROR: "unsupported
    // file format", "no such table") or a type mismatch comes from the file's content. Plain
    // SQLITE_READONLY on a file we opened for writing means its header forbids writing; the
    // extended read-only codes are about locks and folders, and are left alone.
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_ERROR ||
           primary == SQLITE_FORMAT || primary == SQLITE_MISMATCH || error.code == SQLITE_READONLY;
  }
  if (error.domain == kStoreFileDomain) {
    return error.code == EISDIR || error.code == ELOOP || error.code == EINVAL;
  }
  return false;
}

bool isBusy(const Error& error) {
  const int primary = static_cast<int>(error.code) & 0xff;
  return error.domain == kSqliteDomain && (primary == SQLITE_BUSY || primary == SQLITE_LOCKED);
}

Result<std::unique_ptr<PreferenceDatabase>> PreferenceDatabase::open(const fs::path& file) {
  if (auto prepared = preparePrivateFile(file); !prepared) {
    return prepared.error();
  }
  std::unique_ptr<PreferenceDatabase> database(new PreferenceDatabase());
  if (auto configured = database->configure(file); !configured) {
    return configured.error();
  }
  // The checks come first and only read: the first statement reads the header, so a file that
  // is not SQLite fails there (NOTADB).
  for (auto step :
       {&PreferenceDatabase::checkIntegrity, &PreferenceDatabase::checkSchema,
        &PreferenceDatabase::prepareForWriting, &PreferenceDatabase::prepareStatements}) {
    if (auto done = (database.get()->*step)(); !done) {
      return done.error();
    }
  }
  return database;
}

PreferenceDatabase::~PreferenceDatabase() {
  for (sqlite3_stmt* statement : {select_, upsert_, delete_, all_}) {
    sqlite3_finalize(statement);
  }
  sqlite3_close_v2(db_);
}

Error PreferenceDatabase::lastError(std::string_view doing) const {
  return Error(kSqliteDomain, sqlite3_extended_errcode(db_),
               std::string(doing) + ": " + sqlite3_errmsg(db_));
}

Result<void> PreferenceDatabase::configure(const fs::path& file) {
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_EXRESCODE;
  if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    return lastError("open");
  }
  struct stat info {};
  if (::stat(file.c_str(), &info) == 0) {
    device_ = info.st_dev;
    inode_ = info.st_ino;
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  if (sqlite3_exec(db_, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return lastError("synchronous");
  }
  return {};
}

Result<void> PreferenceDatabase::prepareForWriting() {
  // Only once the file is known to be ours: switching the mode rewrites the file's header,
  // and another program's database must be moved aside untouched.
  // A file system without shared memory keeps the rollback journal; with synchronous=FULL
  // that is as durable, only slower, so the answer is not checked.
  if (auto mode = queryColumn(db_, "PRAGMA journal_mode=WAL"); !mode) {
    return mode.error();
  }
  // A trial write, rolled back: a file that can be read but not written (its header says so)
  // shows here rather than at the first real write. Nothing reaches the disk, so no fsync.
  const char* trial =
      "BEGIN IMMEDIATE;"
      "INSERT OR REPLACE INTO preferences(key, kind, value) VALUES ('', 0, 0);"
      "ROLLBACK;";
  if (sqlite3_exec(db_, trial, nullptr, nullptr, nullptr) != SQLITE_OK) {
    Error error = lastError("write check");
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return error;
  }
  return {};
}

Result<void> PreferenceDatabase::checkIntegrity() {
  auto report = queryColumn(db_, "PRAGMA quick_check");
  if (!report) {
    return report.error();
  }
  if (report->size() != 1 || (*report)[0] != "ok") {
    return Error(kSqliteDomain, SQLITE_CORRUPT,
                 "quick_check: " + (report->empty() ? "no answer" : (*report)[0]));
  }
  return {};
}

Result<void> PreferenceDatabase::checkSchema() {
  auto id = queryColumn(db_, "PRAGMA application_id");
  auto objects = queryColumn(db_, "SELECT name FROM sqlite_schema WHERE name NOT LIKE 'sqlite_%'");
  if (!id || !objects) {
    return !id ? id.error() : objects.error();
  }
  const bool ours = !id->empty() && (*id)[0] == std::to_string(kApplicationId);
  if (!ours && !objects->empty()) {
    return notAStore("application_id " + (id->empty() ? "?" : (*id)[0]));
  }
  if (!ours) {
    // A new file. Two processes may get here at once; both statements are idempotent and
    // each transaction is atomic, so either order leaves the same schema.
    const std::string create = std::string("BEGIN IMMEDIATE;") + kSchema +
                               "PRAGMA application_id=" + std::to_string(kApplicationId) +
                               ";COMMIT;";
    if (sqlite3_exec(db_, create.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
      Error error = lastError("create schema");
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      return error;
    }
    return {};
  }
  // Nothing but our table: a trigger or view added to the file could make every write fail.
  if (*objects != std::vector<std::string>{"preferences"}) {
    return notAStore("unexpected objects in the schema");
  }
  auto columns = queryColumn(db_, "SELECT name FROM pragma_table_info('preferences')");
  if (!columns) {
    return columns.error();
  }
  if (*columns != std::vector<std::string>{"key", "kind", "value"}) {
    return notAStore("unexpected preferences table");
  }
  return {};
}

Result<void> PreferenceDatabase::prepareStatements() {
  const std::pair<sqlite3_stmt**, const char*> statements[] = {
      {&select_, "SELECT kind, value FROM preferences WHERE key = ?1"},
      {&upsert_,
       "INSERT INTO preferences(key, kind, value) VALUES (?1, ?2, ?3) "
       "ON CONFLICT(key) DO UPDATE SET kind = excluded.kind, value = excluded.value"},
      {&delete_, "DELETE FROM preferences WHERE key = ?1"},
      {&all_, "SELECT key, kind, value FROM preferences ORDER BY key"},
  };
  for (const auto& [slot, sql] : statements) {
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, slot, nullptr) != SQLITE_OK) {
      return lastError("prepare");
    }
  }
  return {};
}

Result<std::optional<PreferenceValue>> PreferenceDatabase::lookup(std::string_view key) {
  ResetOnExit reset{select_};
  bindKey(select_, key);
  const int code = sqlite3_step(select_);
  if (code == SQLITE_ROW) {
    return std::optional<PreferenceValue>(columnValue(select_, 0));
  }
  if (code == SQLITE_DONE) {
    return std::optional<PreferenceValue>();
  }
  return lastError("read");
}

Result<void> PreferenceDatabase::store(std::string_view key, const PreferenceValue& value) {
  ResetOnExit reset{upsert_};
  bindKey(upsert_, key);
  if (const bool* flag = std::get_if<bool>(&value)) {
    sqlite3_bind_int(upsert_, 2, kFlag);
    sqlite3_bind_int(upsert_, 3, *flag ? 1 : 0);
  } else if (const std::int64_t* integer = std::get_if<std::int64_t>(&value)) {
    sqlite3_bind_int(upsert_, 2, kInteger);
    sqlite3_bind_int64(upsert_, 3, *integer);
  } else {
    const std::string& text = std::get<std::string>(value);
    sqlite3_bind_int(upsert_, 2, kText);
    sqlite3_bind_text(upsert_, 3, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  // One statement in autocommit mode: it takes the write lock when it starts (as BEGIN
  // IMMEDIATE would), so it never meets the read-to-write upgrade that busy waiting cannot
  // resolve, and it returns only after the commit is on disk.
  if (sqlite3_step(upsert_) != SQLITE_DONE) {
    return lastError("write");
  }
  return {};
}

Result<void> PreferenceDatabase::remove(std::string_view key) {
  ResetOnExit reset{delete_};
  bindKey(delete_, key);
  if (sqlite3_step(delete_) != SQLITE_DONE) {
    return lastError("remove");
  }
  return {};
}

Result<PreferenceDatabase::Entries> PreferenceDatabase::entries() {
  ResetOnExit reset{all_};
  Entries out;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(all_)) == SQLITE_ROW) {
    const auto* key = static_cast<const char*>(sqlite3_column_blob(all_, 0));
    const int size = sqlite3_column_bytes(all_, 0);
    out.emplace_back(std::string(key != nullptr ? key : "", static_cast<std::size_t>(size)),
                     columnValue(all_, 1));
  }
  if (code != SQLITE_DONE) {
    return lastError("list");
  }
  return out;
}

bool PreferenceDatabase::stillAt(const fs::path& file) const {
  struct stat info {};
  return ::stat(file.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_;
}

}  // namespace corvane::platform
