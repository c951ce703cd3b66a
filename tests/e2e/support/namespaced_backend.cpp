#include "e2e/support/namespaced_backend.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "daemon/support/command.h"
#include "daemon/support/wireguard_testbed.h"

namespace corvane::e2e {
namespace {

using namespace std::chrono_literals;

// The number after "NAME=" in the READY line, or 0.
int portIn(const std::string& line, const std::string& name) {
  const auto at = line.find(" " + name + "=");
  return at == std::string::npos ? 0 : std::atoi(line.c_str() + at + name.size() + 2);
}

}  // namespace

std::unique_ptr<NamespacedBackend> NamespacedBackend::start(const std::string& netns, const std::filesystem::path& folder,
                                                            const std::string& catalogueJson, std::string* whyNot) {
  std::unique_ptr<NamespacedBackend> backend(new NamespacedBackend());
  backend->netns_ = netns;
  backend->folder_ = folder;
  std::filesystem::create_directories(folder);
  const auto catalogue = folder / "catalogue.json";
  std::ofstream(catalogue) << catalogueJson;
  const auto bin = daemon::testing::WireGuardTestbed::binDir();
  platform::ProcessOptions options;
  options.argv = {"ip", "netns", "exec", netns, (bin / "corvane-backend").string(), "--demo", "--data",
                  (folder / "data").string(), "--https-port", "0", "--http-port", "0", "--test-port", "0",
                  "--threads", "2", "--catalogue", catalogue.string()};
  options.stdoutStream = platform::ChildStream::piped();
  const int log = open((folder / "stderr.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  options.stderrStream = platform::ChildStream::from(log);
  options.newProcessGroup = true;
  auto process = platform::Process::start(std::move(options));
  if (log >= 0) close(log);
  if (!process) return *whyNot = "cannot start corvane-backend: " + process.error().toString(), nullptr;
  backend->process_ = std::move(*process);
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (std::chrono::steady_clock::now() < deadline) {
    auto line = backend->process_->readLine(platform::Process::Stream::out, 1s);
    if (!line) {
      if (!backend->process_->running()) break;
      continue;
    }
    if (line->rfind("READY ", 0) != 0) continue;
    backend->httpsPort_ = portIn(*line, "https");
    backend->testPort_ = portIn(*line, "test");
    const auto ca = line->find(" ca=");
    if (ca != std::string::npos) backend->caFile_ = line->substr(ca + 4);
    if (backend->httpsPort_ == 0 || backend->testPort_ == 0 || backend->caFile_.empty()) break;
    return backend;
  }
  *whyNot = "corvane-backend did not get ready: " + backend->log();
  return nullptr;
}

NamespacedBackend::~NamespacedBackend() {
  if (process_) (void)process_->stop(5s);
}

std::string NamespacedBackend::testGet(const std::string& path) const {
  auto answer = daemon::testing::runIn(
      netns_, {"curl", "-s", "--max-time", "5", "http://127.0.0.1:" + std::to_string(testPort_) + path});
  return answer.ok ? answer.out : std::string();
}

std::string NamespacedBackend::log() const {
  std::ifstream file(folder_ / "stderr.log");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace corvane::e2e
