// The two text rules of the tunnel core: byte counts for people and the engine a profile's
// content needs.
#include <gtest/gtest.h>

#include "tunnelcore/core_format_bytes.h"
#include "tunnelcore/profile_engine.h"

namespace corvane::tunnelcore {
namespace {

TEST(CoreFormatBytes, UnitBoundaries) {
  const struct {
    std::int64_t bytes;
    const char* text;
  } rows[] = {
      {-5, "0 B"},
      {0, "0 B"},
      {1023, "1023 B"},
      {1024, "1.0 KB"},
      {1536, "1.5 KB"},
      {102348, "99.9 KB"},           // 99.949 KB stays below the switch to whole numbers
      {102350, "100 KB"},            // 99.951 KB rounds to 100.0 and shows as a whole number
      {1048063, "1023 KB"},
      {1048575, "1.0 MB"},           // 1023.999 KB would round to 1024: the next unit instead
      {1048576, "1.0 MB"},
      {1073741824, "1.0 GB"},
      {std::int64_t{1} << 40, "1.0 TB"},
      {std::int64_t{1} << 50, "1.0 PB"},
      {std::int64_t{1} << 60, "1.0 EB"},
      {INT64_MAX, "8.0 EB"},
  };
  for (const auto& row : rows) EXPECT_EQ(CoreFormatBytes(row.bytes), row.text) << row.bytes;
}

TEST(ProfileEngine, ToldFromTheContent) {
  const struct {
    const char* content;
    const char* engine;  // nullptr: refused
  } rows[] = {
      {"[Interface]\nPrivateKey = x\n[Peer]\nPublicKey = y\n", "wireguard"},
      {"  [Peer]\r\nEndpoint = 10.0.0.1:51820\r\n", "wireguard"},
      {"client\ndev tun\nremote 127.0.0.2 1194\n", "openvpn"},
      {R"({"server":"127.0.0.2","server_port":8388,"method":"chacha20-ietf-poly1305","password":"p"})", "shadowsocks"},
      {R"({"inbounds":[],"outbounds":[{"protocol":"vmess"}]})", "v2ray"},
      {"ss://Y2hhY2hhMjAtaWV0Zi1wb2x5MTMwNTpw@127.0.0.2:8388#lab\n", "shadowsocks"},
      {"ss://x@y:1 and more words", nullptr},
      {"{}", nullptr},
      {"", nullptr},
      {"   \n", nullptr},
      {"{not json", nullptr},
      {R"({"server":"x"})", nullptr},
      {"client\ndev tun\n", nullptr},
      {"#remote 1.2.3.4\n", nullptr},
  };
  for (const auto& row : rows) {
    const auto engine = profileEngine(row.content);
    if (row.engine == nullptr) {
      EXPECT_FALSE(engine) << row.content;
    } else {
      ASSERT_TRUE(engine) << row.content << ": " << engine.error().toString();
      EXPECT_EQ(*engine, row.engine);
    }
  }
}

TEST(ProfileEngine, ErrorsNeverQuoteTheContent) {
  const auto engine = profileEngine("PrivateKey = c2VjcmV0\n");
  ASSERT_FALSE(engine);
  EXPECT_EQ(engine.error().description.find("c2VjcmV0"), std::string::npos) << engine.error().description;
}

}  // namespace
}  // namespace corvane::tunnelcore
