#include "api/support/backend_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <nlohmann/json.hpp>

#include "corvane/build_config.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

int portField(const std::string& line, const std::string& key) {
  const auto at = line.find(" " + key + "=");
  if (at == std::string::npos) return 0;
  return std::stoi(line.substr(at + key.size() + 2));
}

std::string textField(const std::string& line, const std::string& key) {
  const auto at = line.find(" " + key + "=");
  if (at == std::string::npos) return {};
  const auto start = at + key.size() + 2;
  return line.substr(start, line.find(' ', start) - start);
}

}  // namespace

BackendProcess::BackendProcess(const BackendLaunch& options) {
  char pattern[] = "/tmp/corvane-backend-test-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  workDir_ = pattern;
  ownsData_ = options.dataDir.empty();
  dataDir_ = ownsData_ ? workDir_ / "data" : options.dataDir;

  std::vector<std::string> args = {std::string(build::kBinaryDir) + "/corvane-backend",
                                   "--data", dataDir_.string(), "--https-port", "0", "--http-port", "0",
                                   "--test-port", "0", "--hash-cost", "minimal"};
  if (options.demo) args.push_back("--demo");
  if (options.demoServers) {
    args.push_back("--demo-servers");
    args.push_back(std::to_string(*options.demoServers));
  }
  args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const std::string stderrFile = (workDir_ / "stderr.log").string();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    // A crashed or killed test must not leave a backend behind.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(out[1], STDOUT_FILENO);
    const int err = open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err >= 0) dup2(err, STDERR_FILENO);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  stdoutFd_ = out[0];

  std::string pending;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{stdoutFd_, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buf[4096];
    const ssize_t n = read(stdoutFd_, buf, sizeof buf);
    if (n <= 0) break;  // the backend exited before READY
    pending.append(buf, static_cast<size_t>(n));
    for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
      const std::string line = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      startupLines_.push_back(line);
      if (line.rfind("READY ", 0) == 0) {
        httpsPort_ = portField(line, "https");
        httpPort_ = portField(line, "http");
        testPort_ = portField(line, "test");
        caFile_ = textField(line, "ca");
        return;
      }
    }
  }
  const std::string why = stderrText();
  stop();
  fs::remove_all(workDir_);
  throw std::runtime_error("corvane-backend did not get ready: " + why);
}

BackendProcess::~BackendProcess() {
  stop();
  if (stdoutFd_ >= 0) close(stdoutFd_);
  std::error_code ignored;
  fs::remove_all(workDir_, ignored);
}

bool BackendProcess::running() {
  if (pid_ <= 0) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    exitStatus_ = status;
    pid_ = -1;
    return false;
  }
  return true;
}

int BackendProcess::stop() {
  if (!running()) return exitStatus_;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 1000; ++i) {  // 10 s
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      exitStatus_ = status;
      pid_ = -1;
      return exitStatus_;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, &exitStatus_, 0);
  pid_ = -1;
  return exitStatus_;
}

std::string BackendProcess::stderrText() const {
  std::ifstream in(workDir_ / "stderr.log");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

httplib::Client BackendProcess::httpClient() const {
  httplib::Client client("127.0.0.1", httpPort_);
  client.set_connection_timeout(5, 0);
  client.set_read_timeout(15, 0);
  return client;
}

std::unique_ptr<httplib::SSLClient> BackendProcess::httpsClient(const std::string& host) const {
  auto client = std::make_unique<httplib::SSLClient>(host, httpsPort_);
  if (host != "127.0.0.1" && host != "localhost") client->set_hostname_addr_map({{host, "127.0.0.1"}});
  client->set_ca_cert_path(caFile_.c_str());
  client->enable_server_certificate_verification(true);
  client->set_connection_timeout(5, 0);
  client->set_read_timeout(15, 0);
  return client;
}

std::optional<std::string> BackendProcess::resetCode(const std::string& username) const {
  httplib::Client client("127.0.0.1", testPort_);
  const auto res = client.Get("/test/reset-code", httplib::Params{{"username", username}}, httplib::Headers{});
  if (!res || res->status != 200) return std::nullopt;
  const auto body = nlohmann::json::parse(res->body, nullptr, false);
  if (!body.is_object() || !body.contains("code") || !body["code"].is_string()) return std::nullopt;
  return body["code"].get<std::string>();
}

}  // namespace corvane::test
