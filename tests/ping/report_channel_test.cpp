// Reports keep their order on a concurrent queue; the IPv4 header rebuilt for the datagram
// socket is a correct one.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ping/report_channel.h"
#include "ping/support/reply_builder.h"
#include "platform/icmp/ipv4_header.h"
#include "platform/mainloop/asio/global_queue.h"

namespace corvane::ping {
namespace {

TEST(ReportChannel, DeliversInOrderOneAtATimeOnAConcurrentQueue) {
  platform::GlobalQueue pool(4);
  auto channel = ReportChannel::over(pool);
  constexpr int kReports = 5000;
  std::vector<int> seen;
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  std::atomic<int> done{0};
  for (int i = 0; i < kReports; ++i) {
    channel->deliver([&, i] {
      if (running.fetch_add(1) != 0) overlapped = true;
      seen.push_back(i);  // unguarded on purpose: the channel must serialise
      running.fetch_sub(1);
      done.fetch_add(1);
    });
  }
  for (int spin = 0; spin < 5000 && done.load() < kReports; ++spin) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(done.load(), kReports);
  EXPECT_FALSE(overlapped);
  for (int i = 0; i < kReports; ++i) ASSERT_EQ(seen[i], i);
}

TEST(Ipv4HeaderRebuild, FieldsAndChecksum) {
  platform::Ipv4HeaderFields fields;
  fields.typeOfService = 0xB8;
  fields.timeToLive = 63;
  fields.payloadLength = 64;
  fields.sourceAddress = htonl(0x0A000002);
  fields.destinationAddress = htonl(0x7F000001);
  const auto h = platform::buildIpv4Header(fields);
  const std::vector<std::uint8_t> bytes(h.begin(), h.end());
  EXPECT_EQ(h[0], 0x45);
  EXPECT_EQ(h[1], 0xB8);
  EXPECT_EQ(h[2] << 8 | h[3], 84);
  EXPECT_EQ(h[8], 63);
  EXPECT_EQ(h[9], 1);
  EXPECT_EQ((std::vector<std::uint8_t>(h.begin() + 12, h.begin() + 20)),
            (std::vector<std::uint8_t>{10, 0, 0, 2, 127, 0, 0, 1}));
  EXPECT_EQ(testing::internetChecksum(bytes), 0) << "a receiver would accept the header";

  fields.payloadLength = 0xFFFF;  // cannot arrive; must not wrap to a tiny length
  const auto big = platform::buildIpv4Header(fields);
  EXPECT_EQ(big[2] << 8 | big[3], 0xFFFF);
}

}  // namespace
}  // namespace corvane::ping
