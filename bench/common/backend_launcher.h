#pragma once
// Starts the reference backend (build/bin/corvane-backend) on free loopback ports with a
// private data folder for a benchmark, and stops it again. Returns once the backend printed
// its READY line.
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/process/process.h"

namespace corvane::bench {

class BackendLauncher {
 public:
  // `extraArgs` go after the port and data options (e.g. {"--demo", "--demo-servers", "1000"}).
  // `binary` empty runs this build's corvane-backend; another path runs that one (an older
  // build, for a before/after comparison). Throws std::runtime_error when the backend is not
  // ready within 60 s.
  explicit BackendLauncher(const std::vector<std::string>& extraArgs, const std::string& binary = {});
  pid_t pid() const { return backend_ ? backend_->pid() : -1; }
  ~BackendLauncher();
  BackendLauncher(const BackendLauncher&) = delete;
  BackendLauncher& operator=(const BackendLauncher&) = delete;

  int httpsPort() const { return httpsPort_; }
  int httpPort() const { return httpPort_; }
  const std::string& caFile() const { return caFile_; }
  std::string domain() const { return "127.0.0.1:" + std::to_string(httpPort_); }

 private:
  std::filesystem::path folder_;
  std::optional<platform::Process> backend_;
  int httpsPort_ = 0;
  int httpPort_ = 0;
  std::string caFile_;
  // Keeps reading the backend's stdout after READY so a chatty backend never blocks on a
  // full pipe.
  std::thread drain_;
};

}  // namespace corvane::bench
