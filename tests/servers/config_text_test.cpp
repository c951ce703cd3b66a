#include "servers/config_text.h"

#include <gtest/gtest.h>

namespace corvane::servers {
namespace {

TEST(ConfigText, StrictBase64ThenStrictUtf8) {
  EXPECT_EQ(decodeServerConfig("ZGV2IHR1bg=="), std::optional<std::string>("dev tun"));
  // Base64 of bytes that are not UTF-8 decodes but is not a configuration text.
  EXPECT_EQ(decodeServerConfig("/w=="), std::nullopt);
  EXPECT_EQ(decodeServerConfig("ZGV2\nIHR1bg=="), std::nullopt);
}

}  // namespace
}  // namespace corvane::servers
