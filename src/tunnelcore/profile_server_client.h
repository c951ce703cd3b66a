#pragma once
// Asks this user's running profile server one question and returns its answer line. Blocks
// for at most `timeout` (the server answers from its main loop; a busy app may be slow).
#include <chrono>
#include <filesystem>
#include <string>

#include "platform/core/result.h"

namespace corvane::tunnelcore {

// Errors: "ProfileServer" domain; ECONNREFUSED or ENOENT when no server runs.
Result<std::string> askProfileServer(const std::filesystem::path& socketPath, const std::string& request,
                                     std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

}  // namespace corvane::tunnelcore
