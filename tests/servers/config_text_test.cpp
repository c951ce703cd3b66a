#include "servers/config_text.h"

#include <gtest/gtest.h>

namespace corvane::servers {
namespace {

TEST(ConfigText, StrictBase64) {
  struct Case {
    std::string_view text;
    std::optional<std::string> decoded;
  };
  const Case cases[] = {
      {"", std::string()},
      {"Zm9v", std::string("foo")},
      {"Zm9vYg==", std::string("foob")},
      {"Zm9vYmE=", std::string("fooba")},
      {"W0ludGVyZmFjZV0=", std::string("[Interface]")},
      // Strictness: whitespace, missing padding, URL-safe letters, '=' inside.
      {"Zm9v\nYmFy", std::nullopt},
      {"Zm9v YmFy", std::nullopt},
      {"Zm9vYg", std::nullopt},
      {"Zm9vYg=", std::nullopt},
      {"Zm-_", std::nullopt},
      {"Zm=v", std::nullopt},
      {"Zg===", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(decodeBase64Strict(c.text), c.decoded) << c.text;
}

TEST(ConfigText, StrictUtf8) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"client\ndev tun\n", true},
      {"Türkiye 🇹🇷", true},
      {"\xC3", false},              // truncated
      {"\xC0\xAF", false},          // overlong "/"
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\xFF", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
  // Base64 of bytes that are not UTF-8 decodes but is not a configuration text.
  EXPECT_EQ(decodeServerConfig("/w=="), std::nullopt);
  EXPECT_EQ(decodeServerConfig("ZGV2IHR1bg=="), std::optional<std::string>("dev tun"));
}

}  // namespace
}  // namespace corvane::servers
