// The file store across processes: concurrent writers keep every change, and a writer
// killed at any moment leaves a file that reads as the old or the new content.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <random>
#include <thread>

#include "platform/secitem/file/file_sec_item_backend.h"
#include "securestore/keychain_store.h"
#include "securestore/support/child_process.h"
#include "securestore/support/temp_home.h"

namespace corvane::securestore {
namespace {

namespace fs = std::filesystem;
using corvane::testing::programPath;
using corvane::testing::spawnProgram;
using corvane::testing::waitForExit;

ino_t inodeOf(const fs::path& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 ? st.st_ino : 0;
}

class FileStoreProcessesTest : public ::testing::Test {
 protected:
  corvane::testing::TempHome home;
  fs::path file = home.path() / "data" / "keychain.db";
  std::shared_ptr<platform::CapturingSink> sink;
  platform::Log log = platform::Log::capturing(sink);
  std::string writer = programPath("keychain_writer");
};

TEST_F(FileStoreProcessesTest, TwoProcessesWritingDifferentKeysLoseNothing) {
  constexpr int kKeys = 40;
  const pid_t first = spawnProgram(writer, {file.string(), "keys", "Corvane", "first", std::to_string(kKeys)});
  const pid_t second = spawnProgram(writer, {file.string(), "keys", "Corvane", "second", std::to_string(kKeys)});
  // This process writes too, through its own backend object, at the same time.
  platform::FileSecItemBackend backend(file, log);
  KeychainStore store(backend, log, std::string("Corvane"));
  for (int i = 0; i < kKeys; ++i) {
    ASSERT_TRUE(store.setString("value-" + std::to_string(i), "third-" + std::to_string(i)));
  }
  ASSERT_EQ(waitForExit(first), 0);
  ASSERT_EQ(waitForExit(second), 0);

  platform::FileSecItemBackend reopened(file, log);
  KeychainStore check(reopened, log, std::string("Corvane"));
  for (const char* prefix : {"first", "second", "third"}) {
    for (int i = 0; i < kKeys; ++i) {
      EXPECT_EQ(check.stringForKey(std::string(prefix) + "-" + std::to_string(i)),
                "value-" + std::to_string(i))
          << prefix << " " << i;
    }
  }
  EXPECT_TRUE(sink->lines().empty());
}

TEST_F(FileStoreProcessesTest, WriterKilledMidWriteLeavesOldOrNewContent) {
  constexpr std::size_t kSize = 256 * 1024;  // large, so a kill often lands inside a write
  std::mt19937 random(20261207);
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    fs::remove(file);
    const pid_t child =
        spawnProgram(writer, {file.string(), "churn", "Corvane", std::to_string(kSize), "100000"});
    // Wait until it has replaced the file at least once after creating it (each write
    // renames a new inode into place), then kill it somewhere within the next writes.
    ino_t first = 0;
    for (int wait = 0; wait < 5000 && first == 0; ++wait) {
      first = inodeOf(file);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (int wait = 0; wait < 5000 && inodeOf(file) == first; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
    ::kill(child, SIGKILL);
    ASSERT_EQ(waitForExit(child), 128 + SIGKILL);

    platform::FileSecItemBackend backend(file, log);
    auto value = KeychainStore(backend, log, std::string("Corvane")).stringForKey("churn");
    ASSERT_TRUE(value.has_value());
    ASSERT_EQ(value->size(), kSize);
    EXPECT_EQ(value->find_first_not_of(value->front()), std::string::npos);
    EXPECT_NE(value->front(), 'a');  // past the first write: an older file was replaced
  }
  EXPECT_EQ(sink->lines(), std::vector<std::string>{});  // never read as corrupt

  // The next write clears whatever temporary a killed child left.
  platform::FileSecItemBackend backend(file, log);
  ASSERT_TRUE(KeychainStore(backend, log, std::string("Corvane")).setString("done", "churn"));
  for (const auto& entry : fs::directory_iterator(file.parent_path())) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
  }
}

}  // namespace
}  // namespace corvane::securestore
