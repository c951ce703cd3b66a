#include "tunnelcore/core_setup.h"

#include "platform/paths/paths.h"

namespace corvane::tunnelcore {

Result<void> CoreSetup(const std::filesystem::path& sharedDirectory,
                       const std::filesystem::path& workingDirectory,
                       const std::filesystem::path& cacheDirectory, bool /*debug*/) {
  for (const auto& dir : {sharedDirectory, sharedDirectory / "configs", workingDirectory, cacheDirectory}) {
    if (dir.empty() || dir.is_relative()) {
      return Error("CoreSetup", 0, "folder is not absolute: '" + dir.string() + "'");
    }
    try {
      platform::ensurePrivateDirectory(dir);
    } catch (const std::filesystem::filesystem_error& e) {
      return Error("CoreSetup", e.code().value(), e.what());
    }
  }
  return {};
}

}  // namespace corvane::tunnelcore
