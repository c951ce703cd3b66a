#pragma once
// The daemon's durable state in one SQLite file (tunneld.db in the state folder, 0600 in a
// 0700 folder): the managers saved by each uid and the record of the running tunnel. Every
// write is a transaction that is durable before it returns.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "daemon/state/run_record.h"
#include "platform/core/result.h"
#include "platform/vpn/tunneld/manager.h"

struct sqlite3;

namespace corvane::daemon::state {

class StateStore {
 public:
  // Creates the folder (0700) and the file (0600) when missing, and tightens their modes
  // when they are looser.
  static Result<std::unique_ptr<StateStore>> open(const std::filesystem::path& folder);
  ~StateStore();
  StateStore(const StateStore&) = delete;
  StateStore& operator=(const StateStore&) = delete;

  Result<std::vector<platform::tunneld::Manager>> managers(std::uint32_t uid);
  // Saves `manager` for `uid`: a new one (no id) gets an id; a known id of that uid is
  // replaced. An id the uid does not own is not found.
  Result<platform::tunneld::Manager> save(std::uint32_t uid, platform::tunneld::Manager manager);
  // False when the uid has no manager of that id.
  Result<bool> remove(std::uint32_t uid, const std::string& id);
  std::optional<platform::tunneld::Manager> find(std::uint32_t uid, const std::string& id);
  // The password saved with a manager (managers.save's write-only field), if any.
  std::optional<std::string> password(std::uint32_t uid, const std::string& id);
  // The uid's first manager with on-demand (the kill switch) on.
  std::optional<platform::tunneld::Manager> onDemandManager(std::uint32_t uid);

  Result<void> saveRun(const RunRecord& record);
  std::optional<RunRecord> run();
  Result<void> clearRun();

 private:
  explicit StateStore(sqlite3* db) : db_(db) {}
  Result<void> exec(const char* sql);

  sqlite3* db_ = nullptr;
};

}  // namespace corvane::daemon::state
