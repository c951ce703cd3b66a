#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "platform/log/log.h"
#include "platform/paths/paths.h"

namespace corvane::platform {
namespace fs = std::filesystem;
namespace {

// Sets environment variables for one test and puts the old values back afterwards.
class ScopedEnvironment {
 public:
  void set(const std::string& name, std::optional<std::string> value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

class TempHome {
 public:
  TempHome() {
    std::string pattern = (fs::temp_directory_path() / "corvane-home-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~TempHome() { fs::remove_all(path); }
  fs::path path;
};

unsigned modeOf(const fs::path& p) {
  struct stat st {};
  EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
  return st.st_mode & 0777;
}

TEST(Log, CapturingSinkKeepsTheBareTextOfEveryLine) {
  std::shared_ptr<CapturingSink> sink;
  const Log log = Log::capturing(sink);
  ASSERT_TRUE(sink);
  log.debug("first");
  log.warning("second line, with {braces}");
  log.write(Log::Level::error, "third");
  EXPECT_EQ(sink->lines(), (std::vector<std::string>{"first", "second line, with {braces}", "third"}));
  EXPECT_TRUE(sink->contains("third"));
  EXPECT_FALSE(sink->contains("thir"));
  sink->clear();
  log.info("after clear");
  EXPECT_EQ(sink->lines(), (std::vector<std::string>{"after clear"}));
  Log::null().error("goes nowhere");
}

TEST(Log, MaskSecretKeepsAtMostAQuarterUpToFourCharacters) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"abc", "…"},
      {"abcdefgh", "ab…"},
      {"0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9", "0F1E…"},
  };
  for (const auto& [secret, masked] : cases) {
    EXPECT_EQ(maskSecret(secret), masked) << secret;
  }
}

TEST(Log, StandardLogWritesEveryLevelToTheStateFolderAndFiltersOnlyStderr) {
  TempHome home;
  ScopedEnvironment env;
  env.set("CORVANE_HOME", home.path.string());
  testing::internal::CaptureStderr();
  {
    const Log log = Log::standard("unit", Log::Level::error);
    log.debug("quiet detail");
    log.error("loud failure");
  }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "loud failure\n");

  const fs::path file = home.path / "state" / "corvane.log";
  std::ifstream in(file);
  ASSERT_TRUE(in) << file;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  const std::string tag = "unit[" + std::to_string(::getpid()) + "] ";
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].ends_with(tag + "debug: quiet detail")) << lines[0];
  EXPECT_TRUE(lines[1].ends_with(tag + "error: loud failure")) << lines[1];
  EXPECT_EQ(modeOf(home.path / "state"), 0700u);
}

struct PathsCase {
  const char* name;
  std::map<std::string, std::optional<std::string>> environment;
  Paths expected;
};

TEST(Paths, FromEnvironment) {
  const std::optional<std::string> unset;
  const PathsCase cases[] = {
      {"CORVANE_HOME roots everything, XDG ignored",
       {{"CORVANE_HOME", "/run/h"}, {"XDG_CONFIG_HOME", "/x/c"}, {"HOME", "/home/u"}},
       {"/run/h/config", "/run/h/data", "/run/h/cache", "/run/h/state"}},
      {"XDG variables, each falling back to HOME on its own",
       {{"CORVANE_HOME", ""}, {"XDG_CONFIG_HOME", "/x/c"}, {"XDG_DATA_HOME", unset},
        {"XDG_CACHE_HOME", "/x/k"}, {"XDG_STATE_HOME", ""}, {"HOME", "/home/u"}},
       {"/x/c/corvane", "/home/u/.local/share/corvane", "/x/k/corvane", "/home/u/.local/state/corvane"}},
      {"no HOME at all",
       {{"CORVANE_HOME", unset}, {"XDG_CONFIG_HOME", unset}, {"XDG_DATA_HOME", unset},
        {"XDG_CACHE_HOME", unset}, {"XDG_STATE_HOME", unset}, {"HOME", unset}},
       {"/tmp/.config/corvane", "/tmp/.local/share/corvane", "/tmp/.cache/corvane", "/tmp/.local/state/corvane"}},
  };
  for (const auto& c : cases) {
    ScopedEnvironment env;
    for (const auto& [name, value] : c.environment) {
      env.set(name, value);
    }
    const Paths paths = Paths::fromEnvironment();
    EXPECT_EQ(paths.config, c.expected.config) << c.name;
    EXPECT_EQ(paths.data, c.expected.data) << c.name;
    EXPECT_EQ(paths.cache, c.expected.cache) << c.name;
    EXPECT_EQ(paths.state, c.expected.state) << c.name;
  }
}

TEST(Paths, EnsurePrivateDirectoryMakesTheLeafPrivateAndLeavesParentsAlone) {
  TempHome home;
  ::chmod(home.path.c_str(), 0755);
  const fs::path leaf = home.path / "a" / "b";
  ensurePrivateDirectory(leaf);
  EXPECT_EQ(modeOf(leaf), 0700u);
  EXPECT_EQ(modeOf(home.path), 0755u);

  ::chmod(leaf.c_str(), 0777);
  ensurePrivateDirectory(leaf);
  EXPECT_EQ(modeOf(leaf), 0700u);

  std::ofstream(home.path / "file") << "x";
  EXPECT_THROW(ensurePrivateDirectory(home.path / "file" / "sub"), fs::filesystem_error);
}

}  // namespace
}  // namespace corvane::platform
