#include "common/backend_launcher.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

#include "corvane/build_config.h"

namespace corvane::bench {
namespace {

// "key=value" out of "READY https=1 http=2 test=3 ca=/path".
std::string field(const std::string& line, const std::string& key) {
  const auto at = line.find(" " + key + "=");
  if (at == std::string::npos) return {};
  const auto start = at + key.size() + 2;
  return line.substr(start, line.find(' ', start) - start);
}

}  // namespace

BackendLauncher::BackendLauncher(const std::vector<std::string>& extraArgs, const std::string& binary) {
  folder_ = std::filesystem::temp_directory_path() / ("corvane-bench-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  platform::ProcessOptions options;
  options.argv = {binary.empty() ? std::string(build::kBinaryDir) + "/corvane-backend" : binary, "--data", folder_.string(),
                  "--https-port", "0", "--http-port", "0", "--test-port", "0"};
  options.argv.insert(options.argv.end(), extraArgs.begin(), extraArgs.end());
  options.stdoutStream = platform::ChildStream::piped();
  auto started = platform::Process::start(std::move(options));
  if (!started) throw std::runtime_error(started.error().description);
  backend_ = std::move(*started);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    auto line = backend_->readLine(platform::Process::Stream::out, std::chrono::milliseconds(500));
    if (!line) {
      if (!backend_->running()) break;
      continue;
    }
    if (line->rfind("READY ", 0) == 0) {
      httpsPort_ = std::stoi(field(*line, "https"));
      httpPort_ = std::stoi(field(*line, "http"));
      caFile_ = field(*line, "ca");
      // Keeps reading after READY so a chatty backend never blocks on a full pipe; ends at
      // the backend's end of file.
      drain_ = std::thread([fd = backend_->stdoutFd()] {
        char sink[4096];
        for (;;) {
          pollfd p{fd, POLLIN, 0};
          if (::poll(&p, 1, 1000) < 0) return;
          const ssize_t n = ::read(fd, sink, sizeof sink);
          if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
        }
      });
      return;
    }
  }
  throw std::runtime_error("corvane-backend did not get ready");
}

BackendLauncher::~BackendLauncher() {
  if (backend_) backend_->stop(std::chrono::seconds(10));
  if (drain_.joinable()) drain_.join();  // the backend has exited, so its stdout is at end of file
  backend_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace corvane::bench
