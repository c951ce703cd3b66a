#include "daemon/engines/wireguard/uapi_client.h"

#include <fmt/format.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

namespace corvane::daemon::engines::wireguard {
namespace {

constexpr const char* kDomain = "WireGuardUapi";
// A "get" answer is a few hundred bytes per peer; a megabyte means something else answers.
constexpr std::size_t kMaxAnswer = 1024 * 1024;

template <typename T>
T numberOf(std::string_view text) {
  T value{};
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace

std::filesystem::path UapiClient::socketFor(const std::string& interfaceName) {
  return std::filesystem::path("/var/run/wireguard") / (interfaceName + ".sock");
}

bool UapiClient::socketExists() const {
  std::error_code error;
  return std::filesystem::is_socket(path_, error);
}

Result<std::string> UapiClient::exchange(const std::string& request) const {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Error(kDomain, errno, fmt::format("socket: {}", std::strerror(errno)));
  timeval timeout{2, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string path = path_.string();
  if (path.size() >= sizeof address.sun_path) {
    close(fd);
    return Error(kDomain, ENAMETOOLONG, fmt::format("socket path too long: {}", path));
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    int error = errno;
    close(fd);
    return Error(kDomain, error, fmt::format("connect {}: {}", path, std::strerror(error)));
  }
  std::size_t sent = 0;
  while (sent < request.size()) {
    ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      int error = errno;
      close(fd);
      return Error(kDomain, error, fmt::format("write to {}: {}", path, std::strerror(error)));
    }
    sent += static_cast<std::size_t>(n);
  }
  std::string answer;
  char buffer[4096];
  // The answer ends with an empty line; the engine then waits for the next request.
  while (answer.size() < kMaxAnswer && answer.find("\n\n") == std::string::npos) {
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  auto errnoAt = answer.rfind("errno=");
  if (errnoAt == std::string::npos) {
    return Error(kDomain, EPROTO, fmt::format("{} gave no errno line", path));
  }
  auto code = numberOf<int>(std::string_view(answer).substr(errnoAt + 6));
  if (code != 0) return Error(kDomain, code, fmt::format("{} refused the request: errno={}", path, code));
  answer.resize(errnoAt);
  return answer;
}

Result<void> UapiClient::set(const std::string& body) const {
  std::string request = "set=1\n" + body + "\n";
  auto answer = exchange(request);
  explicit_bzero(request.data(), request.size());
  if (!answer) return answer.error();
  return Result<void>::success();
}

Result<UapiDeviceState> UapiClient::get() const {
  auto answer = exchange("get=1\n\n");
  if (!answer) return answer.error();
  UapiDeviceState state;
  std::string_view rest = *answer;
  while (!rest.empty()) {
    auto newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = line.substr(0, equals);
    std::string_view value = line.substr(equals + 1);
    if (key == "rx_bytes") state.rxBytes += numberOf<std::uint64_t>(value);
    if (key == "tx_bytes") state.txBytes += numberOf<std::uint64_t>(value);
    if (key == "last_handshake_time_sec") state.lastHandshake = std::max(state.lastHandshake, numberOf<std::int64_t>(value));
  }
  // The private key is part of every "get" answer.
  explicit_bzero(answer->data(), answer->size());
  return state;
}

}  // namespace corvane::daemon::engines::wireguard
