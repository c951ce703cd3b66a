#include "tunnelcore/core_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane::tunnelcore {
namespace {

constexpr const char* kDomain = "SQLite";
constexpr int kBusyTimeoutMs = 2000;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS profiles("
    " id INTEGER PRIMARY KEY NOT NULL,"
    " name TEXT NOT NULL,"
    " ord INTEGER NOT NULL,"
    " type INTEGER NOT NULL,"
    " path TEXT NOT NULL,"
    " remote_url TEXT,"
    " auto_update INTEGER NOT NULL,"
    " auto_update_interval INTEGER NOT NULL,"
    " last_updated_ms INTEGER);"
    "CREATE TABLE IF NOT EXISTS shared_preferences("
    " key TEXT PRIMARY KEY NOT NULL, value INTEGER NOT NULL) WITHOUT ROWID;";

constexpr const char* kColumns =
    "id, name, ord, type, path, remote_url, auto_update, auto_update_interval, last_updated_ms";

// Finalises its statement on every way out.
struct Statement {
  sqlite3_stmt* handle = nullptr;
  ~Statement() { sqlite3_finalize(handle); }
};

std::string columnText(sqlite3_stmt* s, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
  return text != nullptr ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(s, column))) : "";
}

Profile rowProfile(sqlite3_stmt* s) {
  Profile p;
  p.id = sqlite3_column_int64(s, 0);
  p.name = columnText(s, 1);
  p.order = sqlite3_column_int64(s, 2);
  p.type = static_cast<ProfileType>(sqlite3_column_int(s, 3));
  p.path = columnText(s, 4);
  if (sqlite3_column_type(s, 5) != SQLITE_NULL) p.remoteURL = columnText(s, 5);
  p.autoUpdate = sqlite3_column_int(s, 6) != 0;
  p.autoUpdateInterval = sqlite3_column_int(s, 7);
  if (sqlite3_column_type(s, 8) != SQLITE_NULL) {
    p.lastUpdated = WallClock::time_point(std::chrono::milliseconds(sqlite3_column_int64(s, 8)));
  }
  return p;
}

void bindText(sqlite3_stmt* s, int index, const std::string& text) {
  sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Binds the columns after id in kColumns order, starting at `first`, and the id at `idIndex`.
void bindProfile(sqlite3_stmt* s, const Profile& p, int first, int idIndex) {
  sqlite3_bind_int64(s, idIndex, p.id);
  bindText(s, first, p.name);
  sqlite3_bind_int64(s, first + 1, p.order);
  sqlite3_bind_int(s, first + 2, static_cast<int>(p.type));
  bindText(s, first + 3, p.path);
  if (p.remoteURL) bindText(s, first + 4, *p.remoteURL);
  sqlite3_bind_int(s, first + 5, p.autoUpdate ? 1 : 0);
  sqlite3_bind_int(s, first + 6, p.autoUpdateInterval);
  if (p.lastUpdated) {
    sqlite3_bind_int64(s, first + 7,
                       std::chrono::duration_cast<std::chrono::milliseconds>(p.lastUpdated->time_since_epoch()).count());
  }
}

}  // namespace

Result<std::unique_ptr<CoreDatabase>> CoreDatabase::open(const std::filesystem::path& file) {
  // Create the file 0600 before SQLite does: its default mode follows the umask, and the
  // records name the files that hold server keys.
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    return Error(kDomain, SQLITE_CANTOPEN, "cannot open '" + file.string() + "': " + std::strerror(errno));
  }
  ::close(fd);
  std::unique_ptr<CoreDatabase> database(new CoreDatabase());
  const int code = sqlite3_open_v2(file.c_str(), &database->db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
  if (code != SQLITE_OK) return database->lastError("opening '" + file.string() + "'");
  sqlite3_busy_timeout(database->db_, kBusyTimeoutMs);
  for (const char* sql : {"PRAGMA journal_mode=WAL;", "PRAGMA synchronous=FULL;", kSchema}) {
    if (auto done = database->exec(sql); !done) return done.error();
  }
  return database;
}

CoreDatabase::~CoreDatabase() { sqlite3_close_v2(db_); }

Error CoreDatabase::lastError(std::string_view doing) const {
  return Error(kDomain, db_ != nullptr ? sqlite3_extended_errcode(db_) : SQLITE_CANTOPEN,
               std::string(doing) + ": " + (db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory"));
}

Result<void> CoreDatabase::exec(const char* sql) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) return lastError("preparing the database");
  return {};
}

Result<std::vector<Profile>> CoreDatabase::profiles(bool autoUpdateOnly) {
  std::lock_guard lock(mutex_);
  const std::string sql = std::string("SELECT ") + kColumns + " FROM profiles" +
                          (autoUpdateOnly ? " WHERE auto_update != 0 AND type = 2" : "") + " ORDER BY ord, id;";
  Statement s;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s.handle, nullptr) != SQLITE_OK) return lastError("listing profiles");
  std::vector<Profile> out;
  int code;
  while ((code = sqlite3_step(s.handle)) == SQLITE_ROW) out.push_back(rowProfile(s.handle));
  if (code != SQLITE_DONE) return lastError("listing profiles");
  return out;
}

Result<std::optional<Profile>> CoreDatabase::profile(std::int64_t id) {
  std::lock_guard lock(mutex_);
  const std::string sql = std::string("SELECT ") + kColumns + " FROM profiles WHERE id = ?1;";
  Statement s;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s.handle, nullptr) != SQLITE_OK) return lastError("reading a profile");
  sqlite3_bind_int64(s.handle, 1, id);
  const int code = sqlite3_step(s.handle);
  if (code == SQLITE_ROW) return std::optional<Profile>(rowProfile(s.handle));
  if (code == SQLITE_DONE) return std::optional<Profile>();
  return lastError("reading a profile");
}

Result<void> CoreDatabase::insert(const Profile& profile) {
  std::lock_guard lock(mutex_);
  Statement s;
  const std::string sql = std::string("INSERT INTO profiles(") + kColumns + ") VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9);";
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s.handle, nullptr) != SQLITE_OK) return lastError("adding a profile");
  bindProfile(s.handle, profile, 2, 1);
  if (sqlite3_step(s.handle) != SQLITE_DONE) {
    return lastError("adding profile " + std::to_string(profile.id));
  }
  return {};
}

Result<void> CoreDatabase::update(const Profile& profile) {
  std::lock_guard lock(mutex_);
  Statement s;
  const char* sql =
      "UPDATE profiles SET name=?2, ord=?3, type=?4, path=?5, remote_url=?6, auto_update=?7,"
      " auto_update_interval=?8, last_updated_ms=?9 WHERE id=?1;";
  if (sqlite3_prepare_v2(db_, sql, -1, &s.handle, nullptr) != SQLITE_OK) return lastError("saving a profile");
  bindProfile(s.handle, profile, 2, 1);
  if (sqlite3_step(s.handle) != SQLITE_DONE) return lastError("saving profile " + std::to_string(profile.id));
  if (sqlite3_changes(db_) == 0) {
    return Error(kDomain, SQLITE_NOTFOUND, "no profile " + std::to_string(profile.id) + " to save");
  }
  return {};
}

Result<std::int64_t> CoreDatabase::largestId() {
  std::lock_guard lock(mutex_);
  Statement s;
  if (sqlite3_prepare_v2(db_, "SELECT COALESCE(MAX(id), 0) FROM profiles;", -1, &s.handle, nullptr) != SQLITE_OK ||
      sqlite3_step(s.handle) != SQLITE_ROW) {
    return lastError("finding the next profile id");
  }
  return static_cast<std::int64_t>(sqlite3_column_int64(s.handle, 0));
}

Result<std::optional<std::int64_t>> CoreDatabase::preference(std::string_view key) {
  std::lock_guard lock(mutex_);
  Statement s;
  if (sqlite3_prepare_v2(db_, "SELECT value FROM shared_preferences WHERE key = ?1;", -1, &s.handle, nullptr) !=
      SQLITE_OK) {
    return lastError("reading a shared preference");
  }
  bindText(s.handle, 1, std::string(key));
  const int code = sqlite3_step(s.handle);
  if (code == SQLITE_ROW) return std::optional<std::int64_t>(sqlite3_column_int64(s.handle, 0));
  if (code == SQLITE_DONE) return std::optional<std::int64_t>();
  return lastError("reading shared preference '" + std::string(key) + "'");
}

Result<void> CoreDatabase::setPreference(std::string_view key, std::int64_t value) {
  std::lock_guard lock(mutex_);
  Statement s;
  if (sqlite3_prepare_v2(db_, "INSERT OR REPLACE INTO shared_preferences(key, value) VALUES (?1, ?2);", -1,
                         &s.handle, nullptr) != SQLITE_OK) {
    return lastError("writing a shared preference");
  }
  bindText(s.handle, 1, std::string(key));
  sqlite3_bind_int64(s.handle, 2, value);
  if (sqlite3_step(s.handle) != SQLITE_DONE) return lastError("writing shared preference '" + std::string(key) + "'");
  return {};
}

}  // namespace corvane::tunnelcore
