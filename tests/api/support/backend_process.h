#pragma once
// Runs the real corvane-backend for a test: free ports, a private data folder, the loopback
// test listener for reset codes. The constructor returns once the backend printed its READY
// line; the destructor stops it with SIGTERM and removes the folders it made.
//
//   corvane::test::BackendLaunch launch;
//   launch.demo = true;
//   corvane::test::BackendProcess backend(launch);
//   auto https = backend.httpsClient();          // verifies against the backend's own CA
//   auto res = backend.httpClient().Post("/app-api-v1/login", body, "application/json");
#include <httplib.h>
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {

struct BackendLaunch {
  bool demo = false;
  std::optional<size_t> demoServers;
  // A data folder to use (and keep); empty gives a fresh one, removed afterwards.
  std::filesystem::path dataDir;
  // More command-line options, e.g. {"--reset-code-ttl", "0"}.
  std::vector<std::string> extraArgs;
};

class BackendProcess {
 public:
  // Throws std::runtime_error, quoting the backend's stderr, when it does not get READY in 20 s.
  BackendProcess() : BackendProcess(BackendLaunch()) {}
  explicit BackendProcess(const BackendLaunch& options);
  ~BackendProcess();
  BackendProcess(const BackendProcess&) = delete;
  BackendProcess& operator=(const BackendProcess&) = delete;

  pid_t pid() const { return pid_; }
  int httpsPort() const { return httpsPort_; }
  int httpPort() const { return httpPort_; }
  int testPort() const { return testPort_; }
  const std::string& caFile() const { return caFile_; }
  const std::filesystem::path& dataDir() const { return dataDir_; }
  // "127.0.0.1:PORT" of the HTTPS listener: the value for CORVANE_API_HOST.
  std::string apiHost() const { return "127.0.0.1:" + std::to_string(httpsPort_); }
  // "127.0.0.1:PORT" of the plain-HTTP API: what the domain source answers.
  std::string domain() const { return "127.0.0.1:" + std::to_string(httpPort_); }
  // Every stdout line printed up to READY (CA path, demo account, READY).
  const std::vector<std::string>& startupLines() const { return startupLines_; }

  httplib::Client httpClient() const;
  // An HTTPS client that verifies the certificate against caFile() for `host`; `host` other
  // than 127.0.0.1 / localhost is mapped to 127.0.0.1, so a wrong name can be tried.
  std::unique_ptr<httplib::SSLClient> httpsClient(const std::string& host = "127.0.0.1") const;
  // The pending password-reset code of an account, read from the loopback test listener.
  std::optional<std::string> resetCode(const std::string& username) const;

  bool running();
  // SIGTERM, then waits (SIGKILL after 10 s); returns the exit status as waitpid reports it.
  int stop();
  std::string stderrText() const;

 private:
  std::filesystem::path workDir_;
  std::filesystem::path dataDir_;
  bool ownsData_ = false;
  pid_t pid_ = -1;
  int stdoutFd_ = -1;
  int exitStatus_ = -1;
  int httpsPort_ = 0;
  int httpPort_ = 0;
  int testPort_ = 0;
  std::string caFile_;
  std::vector<std::string> startupLines_;
};

}  // namespace corvane::test
