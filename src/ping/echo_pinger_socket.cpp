// The pinger's socket: opening it, reading replies from it, and closing it.
#include <cerrno>

#include "ping/echo_pinger.h"
#include "ping/reply_validator.h"

namespace corvane::ping {

namespace {

// The datagram socket holds its identifier exclusively, so two pingers that drew the same
// one (likely among a few hundred: 65535 values) cannot both bind it. Draw again, a bounded
// number of times.
constexpr int kIdentifierDraws = 32;
// Datagrams read per wake-up; the rest wait for the next turn of the loop so one busy
// socket cannot starve the others.
constexpr int kDatagramsPerWake = 64;

}  // namespace

// Closes a socket only after the loop stopped watching it: a descriptor closed while still
// watched could be reused by another socket and lose that one's watch.
void releaseSocketLater(platform::MainLoop& loop, std::optional<platform::WatchId> watch,
                        std::shared_ptr<platform::IcmpSocket> socket, bool alwaysPost) {
  if (!watch && !socket) {
    return;
  }
  if (loop.isLoopThread() && !alwaysPost) {
    if (watch) loop.unwatch(*watch);
    socket.reset();
    return;
  }
  loop.post([&loop, watch, socket]() mutable {
    if (watch) loop.unwatch(*watch);
    socket.reset();
  });
}

std::optional<PingError> EchoPinger::createSocket() {
  std::lock_guard creation(creation_);
  std::uint16_t identifier = 0;
  {
    std::lock_guard lock(mutex_);
    if (socket_) {
      return std::nullopt;
    }
    identifier = identifier_;
  }
  auto opened = sockets_.open(identifier);
  for (int draw = 0; !opened && opened.error().code == EADDRINUSE && draw < kIdentifierDraws;
       ++draw) {
    identifier = drawIdentifier();
    opened = sockets_.open(identifier);
  }
  if (!opened) {
    log_.warning("Echo pinger has no ICMP socket: " + opened.error().toString());
    return PingError(PingError::Case::socketNil);
  }
  std::shared_ptr<platform::IcmpSocket> socket = std::move(opened.value());
  if (configuration_.timeToLive) {
    const int result = socket->setTimeToLive(*configuration_.timeToLive);
    if (result != 0) {
      return PingError::socketOptionsSetError(result);
    }
  }
  // Weak: the socket's watch never keeps the pinger alive.
  std::weak_ptr<EchoPinger> weak = weak_from_this();
  const platform::WatchId watch = loop_.watchReadable(socket->nativeHandle(), [weak] {
    if (auto self = weak.lock()) self->socketReadable();
  });
  std::lock_guard lock(mutex_);
  identifier_ = identifier;
  socket_ = std::move(socket);
  socketWatch_ = watch;
  return std::nullopt;
}

void EchoPinger::socketReadable() {
  std::shared_ptr<platform::IcmpSocket> socket;
  {
    std::lock_guard lock(mutex_);
    socket = socket_;
  }
  if (!socket) {
    return;
  }
  for (int i = 0; i < kDatagramsPerWake; ++i) {
    auto datagram = socket->receive();
    if (!datagram) {
      return;
    }
    handleDatagram(*datagram);
  }
}

void EchoPinger::handleDatagram(const platform::IcmpDatagram& datagram) {
  // The kernel's receive time, not the moment the loop got round to reading. With no echo in
  // flight there is nothing a datagram could answer (a duplicated reply would otherwise end
  // an echo that is not there and start a second chain of sends).
  const platform::TimePoint arrival = loop_.now() - datagram.age.value_or(platform::Duration{});
  endEcho(std::nullopt, arrival, [&](PingResponse& response) {
    ReplyContext context;
    context.identifier = identifier_;
    context.fingerprint = fingerprint_;
    context.sequenceIndex = sequenceIndex_;
    context.erroredIndices = &erroredIndices_;
    const ReplyVerdict verdict = validateReply(datagram.bytes, context);
    if (verdict.kind() == ReplyVerdict::Kind::notOurs) {
      return false;
    }
    // A reply that fails validation still ends the echo, exactly like a valid one.
    response.error = verdict.error();
    response.byteCount = static_cast<int>(datagram.bytes.size());
    if (verdict.kind() == ReplyVerdict::Kind::valid) {
      response.ipHeader = IPHeader::copyFrom(datagram.bytes);
    }
    return true;
  });
}

void EchoPinger::teardown() {
  std::shared_ptr<platform::IcmpSocket> socket;
  std::optional<platform::WatchId> watch;
  std::optional<platform::TimerId> timer;
  std::optional<platform::TimerId> nextSend;
  {
    std::lock_guard lock(mutex_);
    socket = std::move(socket_);
    watch = std::exchange(socketWatch_, std::nullopt);
    timer = std::exchange(timeoutTimer_, std::nullopt);
    nextSend = std::exchange(nextSendTimer_, std::nullopt);
  }
  if (timer) {
    loop_.cancel(*timer);
  }
  if (nextSend) {
    loop_.cancel(*nextSend);
  }
  releaseSocketLater(loop_, watch, std::move(socket));
}

}  // namespace corvane::ping
