#pragma once
// Decides whether a received datagram is the reply to the echo in flight. Pure: the pinger
// hands in its identity and a snapshot of its sequence state.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ping/fingerprint.h"
#include "ping/ping_error.h"

namespace corvane::ping {

// The smallest datagram worth looking at: a 20-byte IPv4 header and the 24-byte ICMP header.
inline constexpr std::size_t kMinimumReplyLength = 44;

struct ReplyContext {
  std::uint16_t identifier = 0;
  Fingerprint fingerprint{};
  std::uint16_t sequenceIndex = 0;
  // Sequence numbers of echoes already reported as failed: late replies to them are ignored.
  const std::vector<int>* erroredIndices = nullptr;
};

class ReplyVerdict {
 public:
  enum class Kind { valid, notOurs, failed };

  static ReplyVerdict valid() { return ReplyVerdict(Kind::valid, std::nullopt); }
  static ReplyVerdict notOurs() { return ReplyVerdict(Kind::notOurs, std::nullopt); }
  static ReplyVerdict failed(PingError error) { return ReplyVerdict(Kind::failed, error); }

  Kind kind() const { return kind_; }
  const std::optional<PingError>& error() const { return error_; }
  friend bool operator==(const ReplyVerdict&, const ReplyVerdict&) = default;

 private:
  ReplyVerdict(Kind kind, std::optional<PingError> error) : kind_(kind), error_(error) {}
  Kind kind_;
  std::optional<PingError> error_;
};

// Offset of the ICMP message behind the IPv4 header (options included), or nothing when the
// datagram is not IPv4/ICMP, declares a header shorter than 20 bytes, or is too short to hold
// a 24-byte ICMP header at that offset.
std::optional<std::size_t> icmpHeaderOffset(std::span<const std::uint8_t> datagram);

// The validation chain; the first failing step decides.
ReplyVerdict validateReply(std::span<const std::uint8_t> datagram, const ReplyContext& context);

}  // namespace corvane::ping
