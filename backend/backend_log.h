#pragma once
#include <spdlog/logger.h>

#include <filesystem>
#include <memory>

namespace corvane::backend {

// Lines go to stderr and to backend.log (0600) in the data folder.
std::shared_ptr<spdlog::logger> makeBackendLogger(const std::filesystem::path& dataDir);

}  // namespace corvane::backend
