#pragma once
// Data folders. They follow XDG; CORVANE_HOME, when set, roots every one of them (tests give
// each run its own home):
//   config  $XDG_CONFIG_HOME/corvane  or $CORVANE_HOME/config   preferences
//   data    $XDG_DATA_HOME/corvane    or $CORVANE_HOME/data     keychain file, tunnel core
//   cache   $XDG_CACHE_HOME/corvane   or $CORVANE_HOME/cache
//   state   $XDG_STATE_HOME/corvane   or $CORVANE_HOME/state    logs
#include <filesystem>
#include <string>

namespace corvane::platform {

struct Paths {
  std::filesystem::path config;
  std::filesystem::path data;
  std::filesystem::path cache;
  std::filesystem::path state;

  // Reads the environment (CORVANE_HOME, XDG_*, HOME) now.
  static Paths fromEnvironment();
  // Every folder under one root, as CORVANE_HOME does.
  static Paths underHome(const std::filesystem::path& home);
};

// Creates `dir` and its missing parents with mode 0700 and tightens an existing `dir` to 0700.
// Throws std::filesystem::filesystem_error when it cannot.
void ensurePrivateDirectory(const std::filesystem::path& dir);

// The value of an environment variable, or `fallback` when it is unset or empty.
std::string environmentOr(const char* name, const std::string& fallback);

}  // namespace corvane::platform
