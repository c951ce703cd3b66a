#include "daemon/support/tunneld_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <thread>

namespace corvane::daemon::testing {

using namespace platform::tunneld;

TunneldClient::~TunneldClient() {
  if (fd_ >= 0) close(fd_);
}

bool TunneldClient::connect(const std::string& path, std::chrono::milliseconds timeout) {
  auto deadline = Clock::now() + timeout;
  while (true) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return true;
    close(fd_);
    fd_ = -1;
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool TunneldClient::sendLine(const std::string& line) {
  std::size_t sent = 0;
  while (sent < line.size()) {
    ssize_t n = send(fd_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<std::string> TunneldClient::readLine(std::chrono::milliseconds timeout) {
  auto deadline = Clock::now() + timeout;
  while (true) {
    auto newline = buffer_.find('\n');
    if (newline != std::string::npos) {
      std::string line = buffer_.substr(0, newline + 1);
      buffer_.erase(0, newline + 1);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return std::nullopt;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char chunk[65536];
    ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) return std::nullopt;
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

std::optional<Answer> TunneldClient::call(Request request, std::chrono::milliseconds timeout) {
  request.id = nextId_++;
  if (!sendLine(LineCodec::write(request))) return std::nullopt;
  auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    auto line = readLine(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
    if (!line) return std::nullopt;
    auto parsed = codec_.parseServerLine(*line);
    if (!parsed) continue;
    if (parsed->event) {
      if (parsed->event->status) seen_.push_back(parsed->event->status->status);
      events_.push_back(*parsed->event);
      continue;
    }
    if (parsed->answer && parsed->answer->id == request.id) return parsed->answer;
  }
  return std::nullopt;
}

std::optional<Event> TunneldClient::nextEvent(Clock::time_point deadline) {
  if (!events_.empty()) {
    auto event = events_.front();
    events_.pop_front();
    return event;
  }
  while (Clock::now() < deadline) {
    auto line = readLine(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
    if (!line) return std::nullopt;
    auto parsed = codec_.parseServerLine(*line);
    if (parsed && parsed->event) {
      if (parsed->event->status) seen_.push_back(parsed->event->status->status);
      return parsed->event;
    }
  }
  return std::nullopt;
}

std::optional<TunnelStatus> TunneldClient::waitForStatus(const std::function<bool(const TunnelStatus&)>& predicate,
                                                         std::chrono::milliseconds timeout) {
  auto deadline = Clock::now() + timeout;
  while (auto event = nextEvent(deadline)) {
    if (event->status && predicate(*event->status)) return event->status;
  }
  return std::nullopt;
}

std::optional<TunnelStatus> TunneldClient::waitForStatus(std::int64_t status, std::chrono::milliseconds timeout) {
  return waitForStatus([status](const TunnelStatus& s) { return s.status == status; }, timeout);
}

std::optional<Traffic> TunneldClient::waitForTraffic(const std::function<bool(const Traffic&)>& predicate,
                                                     std::chrono::milliseconds timeout) {
  auto deadline = Clock::now() + timeout;
  while (auto event = nextEvent(deadline)) {
    if (event->traffic && predicate(*event->traffic)) return event->traffic;
  }
  return std::nullopt;
}

}  // namespace corvane::daemon::testing
