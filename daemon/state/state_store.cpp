#include "daemon/state/state_store.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sqlite3.h>
#include <sys/random.h>
#include <string.h>
#include <sys/stat.h>

#include <memory>

#include "platform/vpn/tunneld/record_json.h"

namespace corvane::daemon::state {
namespace {

constexpr const char* kDomain = "StateStore";

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool ok() const { return stmt_ != nullptr; }
  void bind(int i, std::int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
  void bind(int i, const std::string& v) { sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT); }
  int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  std::string text(int i) {
    auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i))) : std::string();
  }
  std::int64_t integer(int i) { return sqlite3_column_int64(stmt_, i); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

std::optional<platform::tunneld::Manager> decodeManager(const std::string& json) {
  simdjson::dom::parser parser;
  simdjson::dom::object object;
  if (parser.parse(json).get(object) != simdjson::SUCCESS) return std::nullopt;
  platform::tunneld::RecordReader reader;
  return reader.manager(object, "manager");
}

std::string newId() {
  unsigned char bytes[12];
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return {};
  std::string out;
  for (auto b : bytes) out += fmt::format("{:02x}", b);
  return out;
}

}  // namespace

Result<std::unique_ptr<StateStore>> StateStore::open(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return Error(kDomain, error.value(), fmt::format("create {}: {}", folder.string(), error.message()));
  chmod(folder.c_str(), 0700);
  auto file = folder / "tunneld.db";
  // Create the file 0600 before SQLite opens it, so it never exists with looser modes.
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Error(kDomain, errno, fmt::format("open {}: {}", file.string(), std::strerror(errno)));
  fchmod(fd, 0600);
  ::close(fd);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
    std::string message = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return Error(kDomain, 0, fmt::format("open {}: {}", file.string(), message));
  }
  std::unique_ptr<StateStore> store(new StateStore(db));
  sqlite3_busy_timeout(db, 2000);
  auto schema = store->exec(
      "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
      "CREATE TABLE IF NOT EXISTS managers(id TEXT PRIMARY KEY, uid INTEGER NOT NULL, json TEXT NOT NULL, "
      "  created INTEGER NOT NULL);"
      "CREATE TABLE IF NOT EXISTS accounts(managerId TEXT PRIMARY KEY, uid INTEGER NOT NULL, "
      "  password TEXT NOT NULL);"
      "CREATE TABLE IF NOT EXISTS running(slot INTEGER PRIMARY KEY CHECK (slot = 0), uid INTEGER NOT NULL, "
      "  engine TEXT NOT NULL, content TEXT NOT NULL, name TEXT NOT NULL, managerId TEXT NOT NULL, "
      "  startedBy TEXT NOT NULL);");
  if (!schema) return schema.error();
  return store;
}

StateStore::~StateStore() { sqlite3_close(db_); }

Result<void> StateStore::exec(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    Error error(kDomain, sqlite3_errcode(db_), message ? message : "sqlite error");
    sqlite3_free(message);
    return error;
  }
  return Result<void>::success();
}

Result<std::vector<platform::tunneld::Manager>> StateStore::managers(std::uint32_t uid) {
  Statement s(db_, "SELECT json FROM managers WHERE uid = ? ORDER BY created, id");
  if (!s.ok()) return Error(kDomain, sqlite3_errcode(db_), sqlite3_errmsg(db_));
  s.bind(1, uid);
  std::vector<platform::tunneld::Manager> out;
  while (s.step() == SQLITE_ROW) {
    if (auto manager = decodeManager(s.text(0))) out.push_back(std::move(*manager));
  }
  return out;
}

Result<platform::tunneld::Manager> StateStore::save(std::uint32_t uid, platform::tunneld::Manager manager) {
  if (manager.id) {
    if (!find(uid, *manager.id)) return Error(kDomain, 404, fmt::format("no manager \"{}\"", *manager.id));
  } else {
    manager.id = newId();
    if (manager.id->empty()) return Error(kDomain, 0, "no random bytes for a manager id");
  }
  // The password is kept apart from the manager's record, which is what lists send back.
  auto password = std::move(manager.password);
  manager.password.reset();
  Statement s(db_,
              "INSERT INTO managers(id, uid, json, created) VALUES(?, ?, ?, strftime('%s','now')) "
              "ON CONFLICT(id) DO UPDATE SET json = excluded.json");
  s.bind(1, *manager.id);
  s.bind(2, uid);
  s.bind(3, platform::tunneld::toJson(manager).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
  if (s.step() != SQLITE_DONE) return Error(kDomain, sqlite3_errcode(db_), sqlite3_errmsg(db_));
  if (password) {
    Statement a(db_, password->empty() ? "DELETE FROM accounts WHERE managerId = ?1 AND uid = ?2"
                                       : "INSERT OR REPLACE INTO accounts(managerId, uid, password) VALUES(?1, ?2, ?3)");
    a.bind(1, *manager.id);
    a.bind(2, uid);
    if (!password->empty()) a.bind(3, *password);
    const bool stored = a.step() == SQLITE_DONE;
    explicit_bzero(password->data(), password->size());
    if (!stored) return Error(kDomain, sqlite3_errcode(db_), sqlite3_errmsg(db_));
  }
  return manager;
}

std::optional<std::string> StateStore::password(std::uint32_t uid, const std::string& id) {
  Statement s(db_, "SELECT password FROM accounts WHERE uid = ? AND managerId = ?");
  s.bind(1, uid);
  s.bind(2, id);
  if (s.step() != SQLITE_ROW) return std::nullopt;
  return s.text(0);
}

Result<bool> StateStore::remove(std::uint32_t uid, const std::string& id) {
  Statement s(db_, "DELETE FROM managers WHERE uid = ? AND id = ?");
  s.bind(1, uid);
  s.bind(2, id);
  if (s.step() != SQLITE_DONE) return Error(kDomain, sqlite3_errcode(db_), sqlite3_errmsg(db_));
  const bool removed = sqlite3_changes(db_) > 0;
  Statement a(db_, "DELETE FROM accounts WHERE uid = ? AND managerId = ?");
  a.bind(1, uid);
  a.bind(2, id);
  (void)a.step();
  return removed;
}

std::optional<platform::tunneld::Manager> StateStore::find(std::uint32_t uid, const std::string& id) {
  Statement s(db_, "SELECT json FROM managers WHERE uid = ? AND id = ?");
  s.bind(1, uid);
  s.bind(2, id);
  if (s.step() != SQLITE_ROW) return std::nullopt;
  return decodeManager(s.text(0));
}

std::optional<platform::tunneld::Manager> StateStore::onDemandManager(std::uint32_t uid) {
  auto all = managers(uid);
  if (!all) return std::nullopt;
  for (auto& manager : *all) {
    if (manager.onDemandEnabled) return std::move(manager);
  }
  return std::nullopt;
}

Result<void> StateStore::saveRun(const RunRecord& r) {
  Statement s(db_,
              "INSERT OR REPLACE INTO running(slot, uid, engine, content, name, managerId, startedBy) "
              "VALUES(0, ?, ?, ?, ?, ?, ?)");
  s.bind(1, r.uid);
  s.bind(2, r.engine);
  s.bind(3, r.content);
  s.bind(4, r.name);
  s.bind(5, r.managerId);
  s.bind(6, r.startedBy);
  if (s.step() != SQLITE_DONE) return Error(kDomain, sqlite3_errcode(db_), sqlite3_errmsg(db_));
  return Result<void>::success();
}

std::optional<RunRecord> StateStore::run() {
  Statement s(db_, "SELECT uid, engine, content, name, managerId, startedBy FROM running WHERE slot = 0");
  if (s.step() != SQLITE_ROW) return std::nullopt;
  RunRecord r;
  r.uid = static_cast<std::uint32_t>(s.integer(0));
  r.engine = s.text(1);
  r.content = s.text(2);
  r.name = s.text(3);
  r.managerId = s.text(4);
  r.startedBy = s.text(5);
  return r;
}

Result<void> StateStore::clearRun() { return exec("DELETE FROM running"); }

}  // namespace corvane::daemon::state
