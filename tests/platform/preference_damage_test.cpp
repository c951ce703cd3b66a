// A preference file that cannot be read is moved aside, never deleted, and the store carries on
// empty; the log names the file.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "platform/preferences/sqlite/sqlite_preference_store.h"
#include "platform/support/scratch_folder.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

void writeBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string readBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A real store with enough entries to span several pages, closed cleanly.
void fillStore(const fs::path& file) {
  auto store = SqlitePreferenceStore::open(file, Log::null());
  ASSERT_TRUE(store);
  for (int i = 0; i < 16; ++i) {
    (*store)->setString("key-" + std::to_string(i), std::string(1500, 'a' + i));
  }
}

void patchByte(const fs::path& file, std::size_t offset, char value) {
  std::string bytes = readBytes(file);
  bytes.at(offset) = value;
  writeBytes(file, bytes);
}

std::vector<fs::path> movedAside(const fs::path& file) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(file.parent_path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(file.filename().string() + ".corrupt-", 0) == 0 &&
        name.find("-wal") == std::string::npos && name.find("-shm") == std::string::npos) {
      found.push_back(entry.path());
    }
  }
  return found;
}

struct Damage {
  const char* name;
  // Puts the damaged thing at `file` (whose folder exists).
  std::function<void(const fs::path& file)> make;
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class DamagedFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFile, IsMovedAsideAndTheStoreStartsEmpty) {
  ScratchFolder home;
  const fs::path file = home / "config/preferences.sqlite";
  fs::create_directories(file.parent_path());
  GetParam().make(file);
  const bool wasDirectory = fs::is_directory(file);
  const std::string before = wasDirectory ? "" : readBytes(file);

  std::shared_ptr<CapturingSink> sink;
  auto store = SqlitePreferenceStore::open(file, Log::capturing(sink));
  ASSERT_TRUE(store) << store.error().toString();
  EXPECT_TRUE((*store)->allEntries().empty());

  const auto aside = movedAside(file);
  ASSERT_EQ(aside.size(), 1u) << "the damaged file is kept, under a new name";
  if (!wasDirectory) {
    EXPECT_TRUE(readBytes(aside[0]) == before) << "moved, not rewritten";
  }
  const auto lines = sink->lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(file.string()), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(aside[0].string()), std::string::npos) << lines[0];

  (*store)->setInteger("vpnServerID", 17);
  store->reset();
  auto reopened = SqlitePreferenceStore::open(file, Log::capturing(sink));
  ASSERT_TRUE(reopened);
  EXPECT_EQ((*reopened)->integerForKey("vpnServerID"), 17) << "the new file works and persists";
  EXPECT_EQ(sink->lines().size(), 1u) << "and is not taken for damaged";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DamagedFile,
    ::testing::Values(Damage{"garbage",
                             [](const fs::path& file) {
                               std::string bytes(5000, '\0');
                               for (std::size_t i = 0; i < bytes.size(); ++i) {
                                 bytes[i] = static_cast<char>((i * 7919 + 13) % 251);
                               }
                               writeBytes(file, bytes);
                             }},
                      Damage{"truncatedToPart",
                             [](const fs::path& file) {
                               fillStore(file);
                               fs::resize_file(file, fs::file_size(file) / 3);
                             }},
                      Damage{"truncatedInsideHeader",
                             [](const fs::path& file) {
                               fillStore(file);
                               fs::resize_file(file, 60);
                             }},
                      Damage{"pagesOverwritten",
                             [](const fs::path& file) {
                               fillStore(file);
                               std::string bytes = readBytes(file);
                               for (std::size_t i = 4096; i < bytes.size(); i += 3) {
                                 bytes[i] = static_cast<char>(0xA5);
                               }
                               writeBytes(file, bytes);
                             }},
                      Damage{"unsupportedSchemaFormat",
                             [](const fs::path& file) {
                               fillStore(file);
                               patchByte(file, 47, 9);  // schema format number, 1 to 4 are known
                             }},
                      Damage{"headerForbidsWriting",
                             [](const fs::path& file) {
                               fillStore(file);
                               patchByte(file, 18,
                                         3);  // file format write version, 1 or 2 are known
                             }},
                      Damage{"triggerAddedToOurTable",
                             [](const fs::path& file) {
                               fillStore(file);
                               sqlite3* db = nullptr;
                               sqlite3_open(file.c_str(), &db);
                               sqlite3_exec(
                                   db,
                                   "CREATE TRIGGER refuse BEFORE INSERT ON preferences BEGIN "
                                   "SELECT RAISE(ABORT, 'no'); END",
                                   nullptr, nullptr, nullptr);
                               sqlite3_close(db);
                             }},
                      Damage{"anotherProgramsDatabase",
                             [](const fs::path& file) {
                               sqlite3* db = nullptr;
                               sqlite3_open(file.c_str(), &db);
                               sqlite3_exec(
                                   db, "CREATE TABLE photos(id INTEGER PRIMARY KEY, data BLOB)",
                                   nullptr, nullptr, nullptr);
                               sqlite3_close(db);
                             }},
                      Damage{"folderInItsPlace",
                             [](const fs::path& file) {
                               fs::create_directories(file / "inside");
                               writeBytes(file / "inside/keep.txt", "keep me");
                             }},
                      Damage{"linkInItsPlace",
                             [](const fs::path& file) {
                               // Writing through a planted link would change a file elsewhere.
                               writeBytes(file.parent_path() / "elsewhere.txt", "not a store");
                               fs::create_symlink(file.parent_path() / "elsewhere.txt", file);
                             }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DamagedFile, AnEmptyFileHoldsNothingToKeepAndOpensAsAnEmptyStore) {
  ScratchFolder home;
  const fs::path file = home / "config/preferences.sqlite";
  fs::create_directories(file.parent_path());
  writeBytes(file, "");
  std::shared_ptr<CapturingSink> sink;
  auto store = SqlitePreferenceStore::open(file, Log::capturing(sink));
  ASSERT_TRUE(store);
  EXPECT_TRUE(movedAside(file).empty());
  EXPECT_TRUE(sink->lines().empty());
  (*store)->setBool("loggedIn", true);
  EXPECT_TRUE((*store)->boolForKey("loggedIn"));
}

TEST(DamagedFile, DamageFoundWhileOpenIsMovedAsideAndTheWriteLands) {
  ScratchFolder home;
  const fs::path file = home / "config/preferences.sqlite";
  std::shared_ptr<CapturingSink> sink;
  auto opened = SqlitePreferenceStore::open(file, Log::capturing(sink));
  ASSERT_TRUE(opened);
  auto& store = *opened;
  store->setString("username", "before");
  ASSERT_EQ(store->stringForKey("username"), "before");

  // Another connection folds the log into the file, so the store's next read must go back to
  // the file, which is then overwritten with garbage.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(other);
  const auto size = fs::file_size(file);
  writeBytes(file, std::string(size, 'Z'));

  store->setString("username", "after");
  EXPECT_EQ(store->stringForKey("username"), "after");
  EXPECT_EQ(store->allEntries().size(), 1u) << "only the write made after the damage";
  ASSERT_EQ(movedAside(file).size(), 1u);
  ASSERT_FALSE(sink->lines().empty());
  EXPECT_NE(sink->lines()[0].find(file.string()), std::string::npos);
}

TEST(DamagedFile, AStoreFollowsItsFileNameWhenTheFileIsMovedAway) {
  ScratchFolder home;
  const fs::path file = home / "config/preferences.sqlite";
  auto store = SqlitePreferenceStore::open(file, Log::null());
  ASSERT_TRUE(store);
  (*store)->setString("Config", "old");
  // What another process does when it finds the file damaged.
  for (const char* suffix : {"", "-wal", "-shm"}) {
    if (fs::exists(file.string() + suffix)) {
      fs::rename(file.string() + suffix, home / (std::string("moved") + suffix));
    }
  }
  EXPECT_EQ((*store)->stringForKey("Config"), std::nullopt);
  (*store)->setString("Config", "new");
  auto fresh = SqlitePreferenceStore::open(file, Log::null());
  ASSERT_TRUE(fresh);
  EXPECT_EQ((*fresh)->stringForKey("Config"), "new") << "the write went to the file of that name";
}

TEST(DamagedFile, AFolderThatCannotBeMadeIsReportedNotHidden) {
  ScratchFolder home;
  writeBytes(home / "config", "a file where the folder should be");
  auto store = SqlitePreferenceStore::open(home / "config/preferences.sqlite", Log::null());
  EXPECT_FALSE(store);
}

}  // namespace
}  // namespace corvane::platform
