// Costs of the preference store, and why it commits through a write-ahead log:
//   build/bin/preference_store_bench
// BM_StoreWrite / BM_StoreRead use SqlitePreferenceStore itself (WAL, synchronous=FULL).
// BM_CommitMode runs the store's own upsert on a bare connection in each durable journal
// mode, so the figures compare only the commit path: WAL+FULL syncs the log once per
// commit; DELETE and TRUNCATE+FULL sync the journal, its folder entry and the database.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/preferences/sqlite/sqlite_preference_store.h"

namespace {

using namespace corvane::platform;
namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed afterwards. Benchmarks on
// tmpfs measure no fsync at all: point TMPDIR at a real disk for meaningful figures.
class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = (fs::temp_directory_path() / "corvane-bench-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
  }
  ~BenchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void BM_StoreWrite(benchmark::State& state) {
  BenchFolder folder;
  auto store = SqlitePreferenceStore::open(folder.path() / "p.sqlite", Log::null());
  if (!store) {
    state.SkipWithError(store.error().toString().c_str());
    return;
  }
  std::int64_t i = 0;
  for (auto _ : state) {
    (*store)->setInteger("vpnServerID", ++i);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StoreWrite)->UseRealTime();

void BM_StoreRead(benchmark::State& state) {
  BenchFolder folder;
  auto store = SqlitePreferenceStore::open(folder.path() / "p.sqlite", Log::null());
  if (!store) {
    state.SkipWithError(store.error().toString().c_str());
    return;
  }
  for (int i = 0; i < 40; ++i) {
    (*store)->setString("key" + std::to_string(i), std::string(64, 'x'));
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize((*store)->stringForKey("key17"));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StoreRead);

void BM_CommitMode(benchmark::State& state) {
  static const char* const kModes[] = {"WAL", "DELETE", "TRUNCATE"};
  const char* mode = kModes[state.range(0)];
  state.SetLabel(std::string(mode) + " synchronous=FULL");
  BenchFolder folder;
  sqlite3* db = nullptr;
  sqlite3_open((folder.path() / "p.sqlite").c_str(), &db);
  const std::string setup = std::string("PRAGMA journal_mode=") + mode +
                            ";PRAGMA synchronous=FULL;"
                            "CREATE TABLE preferences(key TEXT PRIMARY KEY NOT NULL, kind INTEGER "
                            "NOT NULL, value NOT NULL) WITHOUT ROWID;";
  sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr);
  sqlite3_stmt* upsert = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO preferences(key, kind, value) VALUES ('vpnServerID', 1, ?1) ON "
                     "CONFLICT(key) DO UPDATE SET kind = excluded.kind, value = excluded.value",
                     -1, &upsert, nullptr);
  std::int64_t i = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(upsert, 1, ++i);
    if (sqlite3_step(upsert) != SQLITE_DONE) {
      state.SkipWithError(sqlite3_errmsg(db));
      break;
    }
    sqlite3_reset(upsert);
  }
  sqlite3_finalize(upsert);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CommitMode)->DenseRange(0, 2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
