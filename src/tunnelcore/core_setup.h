#pragma once
// Prepares the tunnel core's folders before anything else touches it: the shared, working and
// cache folders and the profile folder inside the shared one, each created 0700 (an existing
// one is tightened to 0700: profile files carry server keys).
#include <filesystem>

#include "platform/core/result.h"

namespace corvane::tunnelcore {

// `debug` asks for the core's verbose diagnostics; the launch passes false.
Result<void> CoreSetup(const std::filesystem::path& sharedDirectory,
                       const std::filesystem::path& workingDirectory,
                       const std::filesystem::path& cacheDirectory, bool debug);

}  // namespace corvane::tunnelcore
