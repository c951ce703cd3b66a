#include "daemon/engines/openvpn/openvpn_engine.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>

#include "daemon/engines/openvpn/management_event.h"

namespace corvane::daemon::engines::openvpn {
namespace {

using engine::EngineError;
using engine::EngineState;
using namespace std::chrono_literals;

// openvpn makes its management socket at once; the TLS handshake and the pushed options
// take a few seconds at most on a working link. A server silent for 60 s is unreachable.
constexpr auto kManagementWait = 10s;
constexpr auto kManagementPoll = 20ms;
constexpr auto kConnectDeadline = 60s;
constexpr auto kStopGrace = 3s;
constexpr std::size_t kMaxPending = 64 * 1024;
constexpr const char* kAccountRefused = "the server refused the user name or password";

}  // namespace

OpenVpnEngine::OpenVpnEngine(OpenVpnConfig config, engine::EngineContext context, engine::TunnelNetwork network)
    : config_(std::move(config)),
      context_(std::move(context)),
      network_(std::move(network)),
      program_(context_),
      serverLink_(context_.loop) {}

OpenVpnEngine::~OpenVpnEngine() {
  if (program_.started() || state_ != EngineState::exited) {
    stopping_ = true;
    tearDown();
  }
}

std::string OpenVpnEngine::fileText() const {
  // The service's directives come last: for a directive given twice openvpn keeps the last.
  // The management socket is reachable by root only: it lives in the run's 0700 folder and
  // openvpn refuses peers of any other user. "mark" lets the kill switch open the way to the
  // server for openvpn's own packets only.
  std::string text = config_.render() + fmt::format("dev {}\ndev-type tun\nverb 3\nmark {}\n"
                                                     "management {} unix\nmanagement-client-user root\nmanagement-hold\n",
                                                     context_.interfaceName, context_.fwmark, socketPath().string());
  if (config_.wantsAccount) text += fmt::format("auth-user-pass {}\n", accountPath().string());
  return text;
}

std::optional<EngineError> OpenVpnEngine::writeAccount() const {
  if (!config_.wantsAccount) return std::nullopt;
  if (!context_.credentials) return EngineError::invalidConfig("the profile asks for a user name and password, and none is saved");
  // openvpn reads the file as two lines; the store refuses line breaks, so this only guards.
  const auto& account = *context_.credentials;
  auto broken = [](const std::string& s) { return s.find_first_of(std::string("\n\r\0", 3)) != std::string::npos; };
  if (account.username.empty() || broken(account.username) || broken(account.password)) {
    return EngineError::invalidConfig("the saved user name or password is empty or holds a line break");
  }
  std::string text = account.username + "\n" + account.password + "\n";
  const auto path = accountPath();
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  bool written = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (fd >= 0) close(fd);
  explicit_bzero(text.data(), text.size());
  if (!written) return EngineError::failed(fmt::format("cannot write {}: {}", path.string(), strerror(errno)));
  return std::nullopt;
}

std::optional<EngineError> OpenVpnEngine::start(StateCallback onState) {
  onState_ = std::move(onState);
  // openvpn itself would retry an unreachable server for a minute, and notice a link that
  // goes down only when its keepalive runs out.
  if (auto noWay = serverLink_.start(network_.serverEndpoints, network_.fwmark.value_or(0), [this](std::string why) {
        if (!stopping_) fail(std::move(why));
      })) {
    return EngineError::failed(*noWay);
  }
  const auto path = context_.runtimeDir / "openvpn.conf";
  if (auto refused = writeAccount()) {
    serverLink_.stop();
    return refused;
  }
  std::string text = fileText();
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  bool written = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (fd >= 0) close(fd);
  explicit_bzero(text.data(), text.size());
  if (!written) {
    serverLink_.stop();
    return EngineError::failed(fmt::format("cannot write {}: {}", path.string(), strerror(errno)));
  }

  auto started = program_.start("openvpn", {"--config", path.string()}, {},
                                [this](const platform::ProcessExit& exit) { onProgramExit(exit); });
  if (started) {
    serverLink_.stop();
    return started;
  }
  state_ = EngineState::starting;
  startedAt_ = context_.loop.now();
  waitForManagement();
  return std::nullopt;
}

void OpenVpnEngine::waitForManagement() {
  timer_ = 0;
  if (stopping_ || !program_.checkRunning()) return;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = socketPath().string();
  if (fd >= 0 && path.size() < sizeof address.sun_path) {
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      management_ = fd;
      managementWatch_ = context_.loop.watchReadable(management_, [this] { readManagement(); });
      // openvpn holds before connecting until told to go on, so nothing is missed.
      send("state on\nbytecount 1\nlog on\nhold release\n");
      timer_ = context_.loop.postAfter(1s, [this] { checkDeadline(); });
      return;
    }
  }
  if (fd >= 0) close(fd);
  if (context_.loop.now() - startedAt_ > kManagementWait) {
    return fail("openvpn opened no management socket within 10 s");
  }
  timer_ = context_.loop.postAfter(kManagementPoll, [this] { waitForManagement(); });
}

void OpenVpnEngine::send(std::string_view command) {
  if (management_ < 0) return;
  // Commands are a few bytes; the socket's buffer always has room for them.
  (void)!::send(management_, command.data(), command.size(), MSG_NOSIGNAL);
}

void OpenVpnEngine::readManagement() {
  char buffer[4096];
  for (int round = 0; round < 64; ++round) {
    ssize_t got = recv(management_, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (got <= 0) {
      // openvpn closed the interface: it is ending; its exit is reported by the exit watch.
      if (managementWatch_ != 0) context_.loop.unwatch(managementWatch_);
      managementWatch_ = 0;
      return;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
    if (pending_.size() > kMaxPending) pending_.erase(0, pending_.size() - kMaxPending);
  }
  std::size_t end;
  while ((end = pending_.find('\n')) != std::string::npos) {
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    handleLine(line);
    if (stopping_) return;
  }
}

void OpenVpnEngine::handleLine(const std::string& line) {
  auto event = parseManagementLine(line);
  switch (event.kind) {
    case ManagementEvent::Kind::hold:
      send("hold release\n");
      break;
    case ManagementEvent::Kind::bytes:
      counters_ = {event.rxBytes, event.txBytes};
      break;
    case ManagementEvent::Kind::pushedDns:
      network_.dnsServers = event.dnsServers;
      break;
    case ManagementEvent::Kind::state:
      if (event.state == "CONNECTED") {
        if (!event.tunnelAddress.empty()) network_.tunnelAddress = event.tunnelAddress;
        if (state_ != EngineState::up) report(EngineState::up);
      } else if (event.state == "RECONNECTING" && state_ == EngineState::up) {
        report(EngineState::down);
      } else if (event.state == "EXITING" && line.find(",EXITING,auth-failure") != std::string::npos) {
        fail(kAccountRefused);
      }
      break;
    case ManagementEvent::Kind::other:
      // The server refused the account; openvpn then ends with exit code 0, which says nothing.
      // (openvpn does not always flush these last lines before it ends.)
      if (line.starts_with(">PASSWORD:Verification Failed")) fail(kAccountRefused);
      break;
  }
}

void OpenVpnEngine::checkDeadline() {
  timer_ = 0;
  if (stopping_ || state_ != EngineState::starting) return;
  if (context_.loop.now() - startedAt_ > kConnectDeadline) {
    const auto& remote = config_.remotes.front();
    return fail(fmt::format("no connection to {}:{} within 60 s", remote.host, remote.port));
  }
  timer_ = context_.loop.postAfter(1s, [this] { checkDeadline(); });
}

void OpenVpnEngine::onProgramExit(const platform::ProcessExit& exit) {
  if (stopping_) return;
  // Its last words may still be unread (a refused account, say): they tell more than the exit.
  if (managementWatch_ != 0) readManagement();
  if (stopping_) return;
  fail(fmt::format("openvpn exited ({})", exit.describe()));
}

void OpenVpnEngine::fail(std::string message) {
  stopping_ = true;
  tearDown();
  report(EngineState::exited, EngineError::failed(std::move(message)));
}

void OpenVpnEngine::report(EngineState state, std::optional<EngineError> error) {
  state_ = state;
  if (onState_) onState_(state, std::move(error));
}

void OpenVpnEngine::tearDown() {
  serverLink_.stop();
  if (timer_ != 0) context_.loop.cancel(timer_);
  timer_ = 0;
  if (managementWatch_ != 0) context_.loop.unwatch(managementWatch_);
  managementWatch_ = 0;
  if (management_ >= 0) close(management_);
  management_ = -1;
  // SIGTERM lets openvpn remove its routes and its interface itself.
  program_.stop(kStopGrace);
  std::error_code ignored;
  std::filesystem::remove(context_.runtimeDir / "openvpn.conf", ignored);
  std::filesystem::remove(accountPath(), ignored);
  std::filesystem::remove(socketPath(), ignored);
  state_ = EngineState::exited;
}

void OpenVpnEngine::stop(StopCallback done) {
  stopping_ = true;
  tearDown();
  if (done) done();
}

}  // namespace corvane::daemon::engines::openvpn
