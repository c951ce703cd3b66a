#include "platform/vpn/linux/line_socket.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/vpn/tunneld/contract.h"

namespace corvane::platform {
namespace {

constexpr const char* kDomain = "tunneld";

Error systemError(const std::string& doing, int code) {
  return Error(kDomain, code, doing + ": " + std::strerror(code));
}

}  // namespace

Result<std::unique_ptr<LineSocket>> LineSocket::connect(const std::string& path, MainLoop& loop, OnLine onLine,
                                                        OnClosed onClosed) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) {
    return Error(kDomain, ENAMETOOLONG, "not a usable socket path: '" + path + "'");
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return systemError("socket", errno);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int code = errno;
    ::close(fd);
    return systemError("no tunnel service at '" + path + "'", code);
  }
  timeval timeout{static_cast<time_t>(kSendTimeout.count()), 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  return std::unique_ptr<LineSocket>(new LineSocket(fd, loop, std::move(onLine), std::move(onClosed)));
}

LineSocket::LineSocket(int fd, MainLoop& loop, OnLine onLine, OnClosed onClosed)
    : fd_(fd), loop_(loop), onLine_(std::move(onLine)), onClosed_(std::move(onClosed)) {
  watch_ = loop_.watchReadable(fd_, [this] { readable(); });
}

LineSocket::~LineSocket() {
  *alive_ = false;
  if (fd_ >= 0) {
    loop_.unwatch(watch_);
    ::close(fd_);
  }
}

Result<void> LineSocket::send(const std::string& line) {
  if (fd_ < 0) return Error(kDomain, ENOTCONN, "the connection to the tunnel service is closed");
  std::size_t sent = 0;
  while (sent < line.size()) {
    const ssize_t n = ::send(fd_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      auto error = systemError("writing to the tunnel service", n < 0 ? errno : EPIPE);
      // Closing from inside send would pull the socket from under the caller's feet.
      loop_.post([alive = std::weak_ptr<bool>(alive_), this, error] {
        if (auto a = alive.lock(); a && *a) fail(error);
      });
      return error;
    }
    sent += static_cast<std::size_t>(n);
  }
  return {};
}

void LineSocket::readable() {
  char chunk[16384];
  // Bounded: one chunk per wake-up beyond the first few, so a chatty service cannot keep
  // the loop here; the watch calls again while data is left.
  for (int round = 0; round < 16 && fd_ >= 0; ++round) {
    const ssize_t got = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (got <= 0) {
      fail(got == 0 ? Error(kDomain, ECONNRESET, "the tunnel service closed the connection")
                    : systemError("reading from the tunnel service", errno));
      return;
    }
    buffer_.append(chunk, static_cast<std::size_t>(got));
    std::size_t start = 0;
    for (auto newline = buffer_.find('\n'); newline != std::string::npos; newline = buffer_.find('\n', start)) {
      const std::string line = buffer_.substr(start, newline - start);
      start = newline + 1;
      auto alive = alive_;
      onLine_(line);
      if (!*alive || fd_ < 0) return;  // the handler closed or destroyed this socket
    }
    buffer_.erase(0, start);
    if (buffer_.size() > tunneld::kMaxLineBytes) {
      fail(Error(kDomain, EMSGSIZE, "a line from the tunnel service exceeds " + std::to_string(tunneld::kMaxLineBytes) +
                                        " bytes"));
      return;
    }
  }
}

void LineSocket::fail(Error error) {
  if (fd_ < 0) return;
  loop_.unwatch(watch_);
  ::close(fd_);
  fd_ = -1;
  auto onClosed = std::move(onClosed_);
  if (onClosed) onClosed(std::move(error));
}

}  // namespace corvane::platform
