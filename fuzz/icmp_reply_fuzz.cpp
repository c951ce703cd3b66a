// Received ICMP datagrams are outside input: every byte comes from the network. This drives
// the header offset and the whole reply validation chain over arbitrary datagrams, IPv4
// options up to 40 bytes included, and checks the invariants the pinger relies on.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "ping/echo_checksum.h"
#include "ping/echo_request.h"
#include "ping/ip_header.h"
#include "ping/reply_validator.h"

using namespace corvane::ping;

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

void validateWith(std::span<const std::uint8_t> datagram, const ReplyContext& context) {
  const ReplyVerdict verdict = validateReply(datagram, context);
  if (datagram.size() < kMinimumReplyLength) {
    check(verdict.kind() == ReplyVerdict::Kind::failed &&
          verdict.error()->kind() == PingError::Case::invalidLength);
    return;
  }
  if (verdict.kind() == ReplyVerdict::Kind::valid) {
    // A valid reply sits behind a real IPv4 header and carries our identity.
    const auto offset = icmpHeaderOffset(datagram);
    check(offset.has_value() && *offset >= 20 && *offset <= 60);
    const auto icmp = datagram.subspan(*offset);
    check(icmp[0] == 0 && icmp[1] == 0);
    check(std::memcmp(icmp.data() + 8, context.fingerprint.data(), 16) == 0);
    const IPHeader header = IPHeader::copyFrom(datagram);
    check(header.versionAndHeaderLength == datagram[0]);
  }
  check(verdict.kind() != ReplyVerdict::Kind::failed || verdict.error().has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> datagram(data, size);

  const auto offset = icmpHeaderOffset(datagram);
  if (offset) {
    check(*offset <= 60 && *offset % 4 == 0);
    check(size >= *offset + kEchoHeaderSize);
  }

  // A stranger: almost every datagram belongs to someone else.
  std::vector<int> errored = {1, 2, 3};
  ReplyContext stranger;
  stranger.identifier = 0x1234;
  stranger.sequenceIndex = 7;
  stranger.erroredIndices = &errored;
  validateWith(datagram, stranger);

  // The datagram's own identity, so the chain runs past the fingerprint to the checksum,
  // type, code, identifier and sequence steps.
  if (offset) {
    const auto icmp = datagram.subspan(*offset);
    ReplyContext owner;
    std::memcpy(owner.fingerprint.data(), icmp.data() + 8, 16);
    owner.identifier = static_cast<std::uint16_t>(icmp[4] << 8 | icmp[5]);
    owner.sequenceIndex = static_cast<std::uint16_t>((icmp[6] << 8 | icmp[7]) + (size & 1));
    owner.erroredIndices = &errored;
    validateWith(datagram, owner);
  }
  return 0;
}
