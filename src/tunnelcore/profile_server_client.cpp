#include "tunnelcore/profile_server_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane::tunnelcore {
namespace {

constexpr const char* kDomain = "ProfileServer";
// Answers are one line; a list of thousands of profiles stays far below this.
constexpr std::size_t kMaxAnswerBytes = std::size_t{4} << 20;

struct Socket {
  int fd = -1;
  ~Socket() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

Result<std::string> askProfileServer(const std::filesystem::path& socketPath, const std::string& request,
                                     std::chrono::milliseconds timeout) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = socketPath.string();
  if (path.size() >= sizeof address.sun_path) return Error(kDomain, ENAMETOOLONG, "socket path too long: '" + path + "'");
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

  Socket s;
  s.fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s.fd < 0 || ::connect(s.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return Error(kDomain, errno, "no profile server on '" + path + "': " + std::strerror(errno));
  }
  const std::string line = request + "\n";
  if (::send(s.fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) {
    return Error(kDomain, errno, std::string("sending to the profile server: ") + std::strerror(errno));
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string answer;
  char chunk[4096];
  while (answer.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{s.fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
      return Error(kDomain, ETIMEDOUT, "the profile server did not answer within " + std::to_string(timeout.count()) + " ms");
    }
    const ssize_t got = ::read(s.fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    answer.append(chunk, static_cast<std::size_t>(got));
    if (answer.size() > kMaxAnswerBytes) return Error(kDomain, EMSGSIZE, "the profile server's answer is too large");
  }
  const auto newline = answer.find('\n');
  if (newline == std::string::npos) return Error(kDomain, EPROTO, "the profile server closed without an answer");
  return answer.substr(0, newline);
}

}  // namespace corvane::tunnelcore
