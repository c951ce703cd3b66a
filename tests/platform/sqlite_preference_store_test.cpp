// The SQLite preference store: read rules, persistence, threads, file modes.
#include "platform/preferences/sqlite/sqlite_preference_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <limits>
#include <thread>

#include "platform/preferences/preference_suite.h"
#include "platform/support/scratch_folder.h"

namespace corvane::platform {
namespace {

using testing::ScratchFolder;
using Entries = std::vector<std::pair<std::string, PreferenceValue>>;

std::unique_ptr<SqlitePreferenceStore> openStore(const std::filesystem::path& file) {
  auto store = SqlitePreferenceStore::open(file, Log::null());
  if (!store) {
    ADD_FAILURE() << "open failed: " << store.error().toString();
    return nullptr;
  }
  return std::move(*store);
}

mode_t modeOf(const std::filesystem::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// What a stored value reads as through each typed read.
struct ReadRule {
  const char* name;
  PreferenceValue stored;
  bool asFlag;
  std::int64_t asInteger;
  std::string asText;
};

void PrintTo(const ReadRule& rule, std::ostream* out) { *out << rule.name; }

class ReadRules : public ::testing::TestWithParam<ReadRule> {};

TEST_P(ReadRules, EachTypedReadConvertsTheStoredValue) {
  ScratchFolder home;
  auto store = openStore(home / "config/p.sqlite");
  ASSERT_TRUE(store);
  const ReadRule& rule = GetParam();
  ASSERT_TRUE(store->write("k", rule.stored));
  EXPECT_EQ(store->boolForKey("k"), rule.asFlag);
  EXPECT_EQ(store->integerForKey("k"), rule.asInteger);
  EXPECT_EQ(store->stringForKey("k"), rule.asText);
  EXPECT_EQ(store->objectForKey("k"), rule.stored) << "read any value keeps the stored type";
}

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Table, ReadRules,
    ::testing::Values(ReadRule{"flagTrue", true, true, 1, "1"},
                      ReadRule{"flagFalse", false, false, 0, "0"},
                      ReadRule{"integerOne", std::int64_t{1}, true, 1, "1"},
                      ReadRule{"integerZero", std::int64_t{0}, false, 0, "0"},
                      ReadRule{"integerNegative", std::int64_t{-7}, true, -7, "-7"},
                      ReadRule{"integerMax", kMax, true, kMax, "9223372036854775807"},
                      ReadRule{"integerMin", kMin, true, kMin, "-9223372036854775808"},
                      ReadRule{"textYes", std::string("YES"), true, 0, "YES"},
                      ReadRule{"textTrue", std::string("true"), true, 0, "true"},
                      ReadRule{"textFalse", std::string("false"), false, 0, "false"},
                      ReadRule{"textOne", std::string("1"), true, 1, "1"},
                      ReadRule{"textZero", std::string("0"), false, 0, "0"},
                      ReadRule{"textLeadingInteger", std::string("  42abc"), true, 42, "  42abc"},
                      ReadRule{"textSignedInteger", std::string("-3"), true, -3, "-3"},
                      ReadRule{"textWord", std::string("yesterday"), false, 0, "yesterday"},
                      ReadRule{"textEmpty", std::string(""), false, 0, ""},
                      ReadRule{"textOverflowClamps", std::string("99999999999999999999"), true,
                               kMax, "99999999999999999999"},
                      ReadRule{"textUnderflowClamps", std::string("-99999999999999999999"), true,
                               kMin, "-99999999999999999999"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SqlitePreferenceStore, AbsentKeysAndRemovalFollowTheReadRules) {
  ScratchFolder home;
  auto store = openStore(home / "config/p.sqlite");
  ASSERT_TRUE(store);
  EXPECT_FALSE(store->boolForKey("missing"));
  EXPECT_EQ(store->integerForKey("missing"), 0);
  EXPECT_EQ(store->stringForKey("missing"), std::nullopt);
  EXPECT_EQ(store->objectForKey("missing"), std::nullopt);

  store->setString("text", "value");
  store->setString("text", std::nullopt);
  EXPECT_EQ(store->objectForKey("text"), std::nullopt) << "writing no value removes the key";

  store->setInteger("number", 5);
  store->removeObject("number");
  EXPECT_EQ(store->objectForKey("number"), std::nullopt);

  store->setBool("flag", true);
  store->setString("flag", "replaced");
  EXPECT_EQ(store->objectForKey("flag"), PreferenceValue(std::string("replaced")))
      << "a write replaces the value and its type";
  store->removeObject("never-written");  // removing an absent key is not an error
}

TEST(SqlitePreferenceStore, KeysAreCaseSensitiveAndKeptByteForByte) {
  ScratchFolder home;
  auto store = openStore(home / "config/p.sqlite");
  ASSERT_TRUE(store);
  const std::string withNul("a\0b", 3);
  const std::string binaryText("x\0\xff\xfe y", 6);
  store->setBool("Shadowshocks", true);
  store->setString(withNul, binaryText);
  store->setString("unicode", "Türkiye 🇹🇷");
  EXPECT_FALSE(store->boolForKey("shadowshocks"));
  EXPECT_FALSE(store->boolForKey("a")) << "a key is not cut at a NUL byte";
  EXPECT_EQ(store->stringForKey(withNul), binaryText);
  EXPECT_EQ(store->stringForKey("unicode"), "Türkiye 🇹🇷");
}

TEST(SqlitePreferenceStore, EveryValueSurvivesReopeningAndIsListedSortedByKey) {
  ScratchFolder home;
  const auto file = home / "config/p.sqlite";
  {
    auto store = openStore(file);
    ASSERT_TRUE(store);
    store->setString("b", "text");
    store->setInteger("a", -12);
    store->setBool("C", true);
    store->setString("gone", "x");
    store->setString("gone", std::nullopt);
  }
  auto store = openStore(file);
  ASSERT_TRUE(store);
  const Entries expected{{"C", true}, {"a", std::int64_t{-12}}, {"b", std::string("text")}};
  EXPECT_EQ(store->allEntries(), expected);
}

TEST(SqlitePreferenceStore, TwoStoresOnOneFileSeeEachOthersWritesAtOnce) {
  ScratchFolder home;
  const auto file = home / "config/p.sqlite";
  auto first = openStore(file);
  auto second = openStore(file);
  ASSERT_TRUE(first && second);
  for (std::int64_t i = 0; i < 20; ++i) {
    first->setInteger("counter", i);
    ASSERT_EQ(second->integerForKey("counter"), i);
    second->setString("echo", std::to_string(i));
    ASSERT_EQ(first->stringForKey("echo"), std::to_string(i));
  }
}

TEST(SqlitePreferenceStore, AWriteWaitsOutAnotherProcessHoldingTheWriteLockLongerThanOneBusyWait) {
  ScratchFolder home;
  const auto file = home / "config/p.sqlite";
  auto store = openStore(file);
  ASSERT_TRUE(store);
  // Another connection (as another process would) holds the write lock for 2.5 s: longer
  // than SQLite's 2 s busy wait, shorter than the store's three attempts.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  std::thread holder([other] {
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  });
  store->setBool("loggedIn", true);
  holder.join();
  sqlite3_close(other);
  EXPECT_TRUE(store->boolForKey("loggedIn"));
  EXPECT_TRUE(openStore(file)->boolForKey("loggedIn"));
}

TEST(SqlitePreferenceStore, ManyThreadsWritingAndReadingLoseNothing) {
  ScratchFolder home;
  auto store = openStore(home / "config/p.sqlite");
  ASSERT_TRUE(store);
  constexpr int kThreads = 8;
  constexpr int kWrites = 20;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&store, t] {
      const std::string own = "thread-" + std::to_string(t);
      for (int i = 0; i < kWrites; ++i) {
        store->setInteger(own, i);
        // A thread always sees its own last write, whatever the others do in between.
        if (store->integerForKey(own) != i) {
          ADD_FAILURE() << own << " lost write " << i;
          return;
        }
        store->setString("shared", own);
        store->setString(own + "-" + std::to_string(i), "x");
        (void)store->allEntries();
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(store->integerForKey("thread-" + std::to_string(t)), kWrites - 1);
  }
  EXPECT_EQ(store->allEntries().size(), std::size_t{kThreads + 1 + kThreads * kWrites});
  EXPECT_EQ(store->stringForKey("shared").value_or("").rfind("thread-", 0), 0u);
}

TEST(SqlitePreferenceStore, FilesArePrivateWhateverTheUmask) {
  ScratchFolder home;
  const auto folder = home / "config";
  const auto file = folder / "p.sqlite";
  std::filesystem::create_directories(folder);
  std::filesystem::permissions(folder, std::filesystem::perms::all);
  {
    // A file left readable by an older build is tightened too.
    std::FILE* loose = std::fopen(file.c_str(), "w");
    ASSERT_NE(loose, nullptr);
    std::fclose(loose);
    ::chmod(file.c_str(), 0644);
  }
  const mode_t previous = ::umask(0);
  auto store = openStore(file);
  ::umask(previous);
  ASSERT_TRUE(store);
  store->setString("password", "secret");
  EXPECT_EQ(modeOf(folder), 0700u);
  EXPECT_EQ(modeOf(file), 0600u);
  for (const char* companion : {"-wal", "-shm"}) {
    const auto path = file.string() + companion;
    if (std::filesystem::exists(path)) {
      EXPECT_EQ(modeOf(path), 0600u) << path;
    }
  }
}

TEST(PreferenceSuite, TheTwoStoresAreSeparateFilesUnderTheConfigFolder) {
  ScratchFolder home;
  const Paths paths = Paths::underHome(home.path());
  EXPECT_EQ(preferenceFile(paths, PreferenceSuite::standard), home / "config/preferences.sqlite");
  EXPECT_EQ(preferenceFile(paths, PreferenceSuite::appGroup),
            home / "config/group.net.corvane.client.sqlite");
  auto standard = openPreferenceStore(paths, PreferenceSuite::standard, Log::null());
  auto group = openPreferenceStore(paths, PreferenceSuite::appGroup, Log::null());
  ASSERT_TRUE(standard && group);
  (*group)->setString("username", "ana@example.org");
  EXPECT_EQ((*standard)->stringForKey("username"), std::nullopt);
  EXPECT_EQ((*group)->stringForKey("username"), "ana@example.org");
}

}  // namespace
}  // namespace corvane::platform
