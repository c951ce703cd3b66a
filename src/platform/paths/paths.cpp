#include "platform/paths/paths.h"

#include <sys/stat.h>

#include <cstdlib>
#include <system_error>

namespace corvane::platform {
namespace fs = std::filesystem;

std::string environmentOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    return fallback;
  }
  return value;
}

Paths Paths::underHome(const fs::path& home) {
  return Paths{home / "config", home / "data", home / "cache", home / "state"};
}

Paths Paths::fromEnvironment() {
  if (std::string home = environmentOr("CORVANE_HOME", ""); !home.empty()) {
    return underHome(home);
  }
  const fs::path user = environmentOr("HOME", "/tmp");
  auto xdg = [&](const char* variable, const fs::path& fallback) {
    return fs::path(environmentOr(variable, fallback.string())) / "corvane";
  };
  return Paths{xdg("XDG_CONFIG_HOME", user / ".config"), xdg("XDG_DATA_HOME", user / ".local/share"),
               xdg("XDG_CACHE_HOME", user / ".cache"), xdg("XDG_STATE_HOME", user / ".local/state")};
}

void ensurePrivateDirectory(const fs::path& dir) {
  std::error_code ec;
  if (!fs::exists(dir, ec)) {
    // Parents may be shared folders such as ~/.config; only the leaf is ours to make private.
    fs::create_directories(dir);
  }
  if (::chmod(dir.c_str(), 0700) != 0) {
    throw fs::filesystem_error("cannot make folder private", dir,
                               std::error_code(errno, std::generic_category()));
  }
}

}  // namespace corvane::platform
