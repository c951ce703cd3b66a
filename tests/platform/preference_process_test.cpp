// The preference store shared by processes: concurrent writers, and writers killed at random
// moments. Children are build/bin/preference_writer.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "platform/preferences/sqlite/sqlite_preference_store.h"
#include "platform/support/child_process.h"
#include "platform/support/scratch_folder.h"

namespace corvane::platform {
namespace {

using testing::RunningChild;
using testing::ScratchFolder;

std::string textFor(std::int64_t i) {
  return std::string(9000, static_cast<char>('a' + i % 26)) + std::to_string(i);
}

std::vector<std::int64_t> reportedNumbers(const std::string& bytes) {
  std::vector<std::int64_t> out(bytes.size() / sizeof(std::int64_t));
  if (out.empty()) {
    return out;  // memcpy must not see the empty vector's null data pointer
  }
  std::memcpy(out.data(), bytes.data(), out.size() * sizeof(std::int64_t));
  return out;
}

std::vector<std::string> writer(const std::filesystem::path& file, std::vector<std::string> args) {
  args.insert(args.begin(), {testing::programPath("preference_writer").string(), file.string()});
  return args;
}

TEST(PreferenceProcesses, TwoProcessesWritingOneNewFileAtOnceLoseNothing) {
  // Several rounds on a new file each time, so that the two also race to create it.
  for (int round = 0; round < 3; ++round) {
    ScratchFolder home;
    const auto file = home / "config/preferences.sqlite";
    const std::vector<std::string> env{"CORVANE_HOME=" + home.path().string()};
    constexpr int kCount = 25;
    RunningChild first(writer(file, {"keys", "A", std::to_string(kCount)}), env);
    RunningChild second(writer(file, {"keys", "B", std::to_string(kCount)}), env);
    ASSERT_EQ(first.finish(), 0);
    ASSERT_EQ(second.finish(), 0);

    std::shared_ptr<CapturingSink> sink;
    auto store = SqlitePreferenceStore::open(file, Log::capturing(sink));
    ASSERT_TRUE(store);
    for (const char* prefix : {"A", "B"}) {
      for (std::int64_t i = 0; i < kCount; ++i) {
        EXPECT_EQ((*store)->integerForKey(std::string(prefix) + "-" + std::to_string(i)), i);
      }
    }
    const auto shared = (*store)->stringForKey("shared");
    EXPECT_TRUE(shared == "A-24" || shared == "B-24") << shared.value_or("<none>");
    EXPECT_EQ((*store)->allEntries().size(), std::size_t{2 * kCount + 1});
    EXPECT_TRUE(sink->lines().empty()) << sink->lines().front();
  }
}

TEST(PreferenceProcesses, EveryWriteThatReturnedSurvivesAKillAtAnyMoment) {
  ScratchFolder home;
  const auto file = home / "config/preferences.sqlite";
  const std::vector<std::string> env{"CORVANE_HOME=" + home.path().string()};
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  // Even runs are killed up to 80 ms after the start, which often lands in the child's start-up
  // and its first open of the file; odd runs up to 40 ms after the first reported write (a
  // write pair costs some 10 ms: two fsyncs), so that kills land among the writes even where
  // start-up is slow (sanitizer builds).
  std::uniform_int_distribution<int> delayUs(0, 80'000);

  constexpr int kKills = 200;
  std::int64_t next = 0;
  int runsWithWrites = 0;
  for (int run = 0; run < kKills; ++run) {
    RunningChild child(writer(file, {"sequence", std::to_string(next)}), env);
    int delay = delayUs(random);
    if (run % 2 == 1) {
      pollfd firstReport{child.stdoutFd(), POLLIN, 0};
      ASSERT_EQ(::poll(&firstReport, 1, 10'000), 1) << "no write within 10 s in run " << run;
      delay /= 2;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
    ASSERT_EQ(child.finish(SIGKILL), 128 + SIGKILL) << "the child stopped by itself in run " << run;
    const auto reported = reportedNumbers(child.drain());

    std::shared_ptr<CapturingSink> sink;
    auto store = SqlitePreferenceStore::open(file, Log::capturing(sink));
    ASSERT_TRUE(store) << "run " << run << ": " << store.error().toString();
    ASSERT_TRUE(sink->lines().empty()) << "run " << run << ": " << sink->lines().front();
    for (std::size_t k = 0; k < reported.size(); ++k) {
      ASSERT_EQ(reported[k], next + static_cast<std::int64_t>(k));
      ASSERT_EQ((*store)->integerForKey("w" + std::to_string(reported[k])), reported[k])
          << "run " << run << " lost reported write " << reported[k];
    }
    if (!reported.empty()) {
      ++runsWithWrites;
      next = reported.back() + 1;
      // The last reported text, or the next one if its write landed before the kill; never
      // a mixture of the two.
      const auto text = (*store)->stringForKey("text");
      ASSERT_TRUE(text == textFor(next - 1) || text == textFor(next)) << "run " << run;
    }
  }
  auto store = SqlitePreferenceStore::open(file, Log::null());
  ASSERT_TRUE(store);
  for (std::int64_t i = 0; i < next; ++i) {
    ASSERT_EQ((*store)->integerForKey("w" + std::to_string(i)), i) << "lost write " << i;
  }
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
    EXPECT_EQ(entry.path().filename().string().find(".corrupt-"), std::string::npos)
        << "a crash was taken for damage: " << entry.path();
  }
  EXPECT_GT(runsWithWrites, kKills / 4)
      << "most kills came before any write; the test proved little";
  std::cout << "[ info ] " << kKills << " kills, " << next << " reported writes, " << runsWithWrites
            << " runs with writes\n";
}

}  // namespace
}  // namespace corvane::platform
