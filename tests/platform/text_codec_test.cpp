// The one UTF-8 and Base64 codec that the keychain, the server configuration text, the
// domain source and the backend share.
#include <gtest/gtest.h>

#include <array>

#include "platform/core/base64.h"
#include "platform/core/utf8.h"

namespace corvane::platform {
namespace {

TEST(Utf8, AcceptsWellFormedAndRejectsTheRest) {
  struct Row {
    const char* name;
    std::string bytes;
    bool valid;
  };
  const Row rows[] = {
      {"empty", "", true},
      {"ascii with NUL", std::string("a\0b", 3), true},
      {"uuid", "0F5E2A9C-3B1D-4C7E-9A2B-6D8E1F0A4B3C", true},
      {"two bytes", "\xC3\xA9", true},
      {"three bytes", "\xE2\x82\xAC", true},
      {"four bytes", "\xF0\x9F\x87\xA9", true},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", true},
      {"stray continuation", "\x80", false},
      {"overlong slash", "\xC0\xAF", false},
      {"overlong three-byte", "\xE0\x80\xAF", false},
      {"overlong four-byte", "\xF0\x80\x80\xAF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"F5 lead", "\xF5\x80\x80\x80", false},
      {"truncated at end", "ab\xE2\x82", false},
      {"bad continuation", "\xE2\x28\xA1", false},
      {"FF", "\xFF", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(isValidUtf8(row.bytes), row.valid) << row.name;
  }
}

TEST(Utf8, DecodesEachSequenceOfValidText) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x87\xA9";
  const char32_t expected[] = {U'a', U'\u00E9', U'\u20AC', U'\U0001F1E9'};
  std::size_t at = 0;
  for (char32_t c : expected) {
    const std::size_t length = utf8SequenceLength(static_cast<unsigned char>(text[at]));
    EXPECT_EQ(decodeUtf8At(text, at, length), c) << at;
    at += length;
  }
  EXPECT_EQ(at, text.size());
}

TEST(Base64, StrictDecoding) {
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
  for (const Case& c : cases) EXPECT_EQ(base64DecodeStrict(c.text), c.decoded) << c.text;
}

TEST(Base64, RulesWidenOrNarrowTheStrictForm) {
  const Base64Rules link{.eitherAlphabet = true, .paddingOptional = true};
  const Base64Rules canonical{.canonical = true};
  struct Case {
    std::string_view text;
    Base64Rules rules;
    std::optional<std::string> decoded;
  };
  const Case cases[] = {
      // Links: either alphabet (even mixed), padding there, missing or overlong.
      {"-_-_", link, std::string("\xFB\xFF\xBF")},
      {"+_/-", link, std::string("\xFB\xFF\xFE")},
      {"Zm9vYg", link, std::string("foob")},
      {"Zm9vYg==", link, std::string("foob")},
      {"Zm9vYg===", link, std::string("foob")},
      {"Zm9vY", link, std::nullopt},  // one letter left over holds no byte
      {"Zm9v Yg", link, std::nullopt},
      {"Zm=9v", link, std::nullopt},
      // Canonical: the spare bits of the last letter must be zero.
      {"Zg==", canonical, std::string("f")},
      {"Zh==", canonical, std::nullopt},
      {"Zm8=", canonical, std::string("fo")},
      {"Zm9=", canonical, std::nullopt},
      {"Zh==", Base64Rules{}, std::string("f")},
  };
  for (const Case& c : cases) EXPECT_EQ(base64Decode(c.text, c.rules), c.decoded) << c.text;
}

TEST(Base64, DecodingIntoABufferRefusesWhatDoesNotFit) {
  std::array<std::uint8_t, 4> out{};
  EXPECT_EQ(base64DecodeInto("Zm9vYg==", out, {}), 4u);
  EXPECT_EQ(std::string(out.begin(), out.end()), "foob");
  EXPECT_EQ(base64DecodeInto("Zm9vYmE=", out, {}), std::nullopt);
  EXPECT_EQ(base64DecodeInto("Zm9v", out, {}), 3u);
  EXPECT_EQ(base64DecodeInto("Zm9v\n", out, {}), std::nullopt);
}

TEST(Base64, EncodingRoundTripsEveryTailLength) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {std::string("\xFF\x00\xFE", 3), "/wD+"}};
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(base64Encode(bytes), text);
    EXPECT_EQ(base64DecodeStrict(text), bytes);
  }
}

}  // namespace
}  // namespace corvane::platform
