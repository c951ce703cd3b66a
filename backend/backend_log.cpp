#include "backend/backend_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_sinks.h>
#include <unistd.h>

namespace corvane::backend {

std::shared_ptr<spdlog::logger> makeBackendLogger(const std::filesystem::path& dataDir) {
  const auto file = dataDir / "backend.log";
  // The log holds reset codes, so it is created private before spdlog opens it for appending.
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::fchmod(fd, 0600);
    ::close(fd);
  }
  auto console = std::make_shared<spdlog::sinks::stderr_sink_mt>();
  console->set_pattern("corvane-backend: %v");
  auto log = std::make_shared<spdlog::sinks::basic_file_sink_mt>(file.string());
  log->set_pattern("%Y-%m-%dT%H:%M:%S.%e %l: %v");
  auto logger = std::make_shared<spdlog::logger>("backend", spdlog::sinks_init_list{console, log});
  logger->set_level(spdlog::level::info);
  logger->flush_on(spdlog::level::info);
  return logger;
}

}  // namespace corvane::backend
