// The status words: one mapping from the platform's 0-5 values, and what an absent word reads.
#include "keys/tunnel_status_text.h"

#include <gtest/gtest.h>

namespace corvane::keys {
namespace {

TEST(TunnelStatusText, EachPlatformValueMapsToItsWord) {
  struct Row {
    std::int64_t value;
    std::optional<std::string_view> word;
  };
  const Row rows[] = {
      {0, "Disconnected"}, {1, "Disconnected"}, {2, "Connecting"},
      {3, "Connected"},    {4, std::nullopt},   {5, "Disconnecting"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(TunnelStatusText::of(static_cast<platform::VpnStatus>(row.value)), row.word);
  }
}

TEST(TunnelStatusText, AnAbsentWordReadsDisconnected) {
  EXPECT_EQ(TunnelStatusText::shown(std::nullopt), "Disconnected");
  EXPECT_EQ(TunnelStatusText::shown("Connecting"), "Connecting");
}

}  // namespace
}  // namespace corvane::keys
