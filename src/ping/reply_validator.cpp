#include "ping/reply_validator.h"

#include <algorithm>
#include <cstring>

#include "ping/echo_checksum.h"
#include "ping/echo_request.h"
#include "ping/icmp_type.h"

namespace corvane::ping {

namespace {

constexpr std::uint8_t kProtocolIcmp = 1;
constexpr std::size_t kMinimumIpv4HeaderSize = 20;

}  // namespace

std::optional<std::size_t> icmpHeaderOffset(std::span<const std::uint8_t> datagram) {
  // The protocol byte sits at offset 9, so anything shorter cannot be judged.
  if (datagram.size() < 10) {
    return std::nullopt;
  }
  if ((datagram[0] >> 4) != 4 || datagram[9] != kProtocolIcmp) {
    return std::nullopt;
  }
  const std::size_t offset = static_cast<std::size_t>(datagram[0] & 0x0F) * 4;
  // A header length under 5 words is no IPv4 header at all; taken at its word, the "ICMP
  // message" would be read from inside the IP header's own fields.
  if (offset < kMinimumIpv4HeaderSize || datagram.size() < offset + kEchoHeaderSize) {
    return std::nullopt;
  }
  return offset;
}

ReplyVerdict validateReply(std::span<const std::uint8_t> datagram, const ReplyContext& context) {
  if (datagram.size() < kMinimumReplyLength) {
    return ReplyVerdict::failed(PingError::invalidLength(static_cast<std::int64_t>(datagram.size())));
  }
  const std::optional<std::size_t> offset = icmpHeaderOffset(datagram);
  if (!offset) {
    return ReplyVerdict::failed(PingError(PingError::Case::invalidHeaderOffset));
  }
  const std::span<const std::uint8_t> icmp = datagram.subspan(*offset);

  // Another pinger's reply (several run in one process and may share replies).
  if (!std::equal(context.fingerprint.begin(), context.fingerprint.end(),
                  icmp.begin() + kFingerprintOffset)) {
    return ReplyVerdict::notOurs();
  }

  EchoChecksumInput input;
  input.type = icmp[0];
  input.code = icmp[1];
  input.identifierField = {icmp[4], icmp[5]};
  input.sequenceField = {icmp[6], icmp[7]};
  input.payload = icmp.subspan(kFingerprintOffset);
  const auto checksum = echoChecksum(input);
  if (const auto* error = std::get_if<PingError>(&checksum)) {
    return ReplyVerdict::failed(*error);
  }
  const std::uint16_t calculated = std::get<std::uint16_t>(checksum);
  const std::uint16_t receivedChecksum =
      static_cast<std::uint16_t>(icmp[2] | (static_cast<std::uint16_t>(icmp[3]) << 8));
  if (receivedChecksum != calculated) {
    return ReplyVerdict::failed(PingError::checksumMismatch(receivedChecksum, calculated));
  }

  if (icmp[0] != static_cast<std::uint8_t>(ICMPType::EchoReply)) {
    return ReplyVerdict::failed(PingError::invalidType(icmp[0]));
  }
  if (icmp[1] != 0) {
    return ReplyVerdict::failed(PingError::invalidCode(icmp[1]));
  }

  const std::uint16_t identifier =
      static_cast<std::uint16_t>((static_cast<std::uint16_t>(icmp[4]) << 8) | icmp[5]);
  if (identifier != context.identifier) {
    // `received` is the field as stored, read without byte-order conversion.
    const std::uint16_t stored =
        static_cast<std::uint16_t>(icmp[4] | (static_cast<std::uint16_t>(icmp[5]) << 8));
    return ReplyVerdict::failed(PingError::identifierMismatch(stored, context.identifier));
  }

  const std::uint16_t sequence =
      static_cast<std::uint16_t>((static_cast<std::uint16_t>(icmp[6]) << 8) | icmp[7]);
  if (sequence == context.sequenceIndex) {
    return ReplyVerdict::valid();
  }
  if (context.erroredIndices != nullptr &&
      std::find(context.erroredIndices->begin(), context.erroredIndices->end(),
                static_cast<int>(sequence)) != context.erroredIndices->end()) {
    // A late answer to an echo already reported as failed.
    return ReplyVerdict::notOurs();
  }
  return ReplyVerdict::failed(PingError::invalidSequenceIndex(sequence, context.sequenceIndex));
}

}  // namespace corvane::ping
