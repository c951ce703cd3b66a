#include "common/backend_launcher.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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
  std::vector<std::string> args = {binary.empty() ? std::string(build::kBinaryDir) + "/corvane-backend" : binary,
                                   "--data", folder_.string(),
                                   "--https-port", "0", "--http-port", "0", "--test-port", "0"};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());

  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  stdoutFd_ = out[0];

  std::string pending;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{stdoutFd_, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(stdoutFd_, buffer, sizeof buffer);
    if (n <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(n));
    for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
      const std::string line = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      if (line.rfind("READY ", 0) == 0) {
        httpsPort_ = std::stoi(field(line, "https"));
        httpPort_ = std::stoi(field(line, "http"));
        caFile_ = field(line, "ca");
        drain_ = std::thread([fd = stdoutFd_] {
          char sink[4096];
          while (read(fd, sink, sizeof sink) > 0) {
          }
        });
        return;
      }
    }
  }
  throw std::runtime_error("corvane-backend did not get ready");
}

BackendLauncher::~BackendLauncher() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 1000 && waitpid(pid_, &status, WNOHANG) == 0; ++i) usleep(10'000);
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }
  if (drain_.joinable()) drain_.join();  // the backend has exited, so its stdout is at EOF
  if (stdoutFd_ >= 0) close(stdoutFd_);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace corvane::bench
