// The backend's rules for outside text: name normalisation, address masks, JSON nesting and
// Accept-Encoding. Each is a boundary an attacker or a careless client reaches directly.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "backend/deflated_text.h"
#include "backend/gzip_encoding.h"
#include "backend/json_body.h"
#include "backend/masked_address.h"
#include "backend/user_name.h"

namespace corvane::backend {
namespace {

TEST(UserNameTest, LookAlikesShareOneKey) {
  const struct {
    const char* name;
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"fullwidth", "demo", "\xEF\xBD\x84\xEF\xBD\x85\xEF\xBD\x8D\xEF\xBD\x8F", true},  // ｄｅｍｏ
      {"case", "Demo@Corvane.TEST", "demo@corvane.test", true},
      {"trailing no-break space", "demo\xC2\xA0", "demo", true},
      {"leading ideographic space", "\xE3\x80\x80" "demo", "demo", true},
      {"sharp s folds to ss", "stra\xC3\x9F" "e", "STRASSE", true},
      {"composed and decomposed e acute", "caf\xC3\xA9", "cafe\xCC\x81", true},
      {"different names", "demo1", "demo2", false},
      {"inner space kept", "de mo", "demo", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(nameKey(c.a) == nameKey(c.b), c.same) << c.name;
    EXPECT_FALSE(nameKey(c.a).empty()) << c.name;
  }
}

TEST(UserNameTest, NormalisedFormIsNfkcTrimmedAndKeepsCase) {
  EXPECT_EQ(normalizedName("  \xEF\xBC\xA4" "emo\xC2\xA0"), "Demo");  // fullwidth D
  EXPECT_EQ(normalizedName("\xEF\xAC\x81" "le"), "file");                // the "fi" ligature
  EXPECT_EQ(normalizedName(""), "");
  for (const char* bad : {"\xFF", "a\xC3", "\xED\xA0\x80"}) {  // stray byte, cut sequence, surrogate
    EXPECT_FALSE(normalizedName(bad)) << bad;
    EXPECT_EQ(nameKey(bad), "");
  }
}

TEST(MaskedAddressTest, ShowsOnlyFirstLettersAndTheTopLevelDomain) {
  const struct {
    const char* address;
    const char* mask;
  } cases[] = {
      {"daniel@corvane.test", "d***@c***.test"},
      {"x@y.co.uk", "x***@y***.uk"},
      {"\xC3\xA9lodie@mail.fr", "\xC3\xA9***@m***.fr"},  // a multi-byte first letter stays whole
      {"no-at-sign", "n***"},
      {"@nothing", "****@n***"},
  };
  for (const auto& c : cases) EXPECT_EQ(maskedAddress(c.address), c.mask) << c.address;
  EXPECT_EQ(inventedMask("ghost", "secret"), inventedMask("ghost", "secret"));
  EXPECT_NE(inventedMask("ghost", "secret"), inventedMask("ghost", "other secret"));
}

TEST(JsonDepthTest, CountsOnlyBracketsOutsideStrings) {
  const struct {
    const char* text;
    int depth;
  } cases[] = {
      {R"({"a": 1})", 1},
      {R"({"a": [1, {"b": []}]})", 4},
      {R"({"a": "[[[[{{{{"})", 1},
      {R"({"a": "\"[[[["})", 1},
      {R"({"a": "\\", "b": [[]]})", 3},
      {"]]]]{", 1},
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(jsonNestingDepth(c.text, 100), c.depth) << c.text;
  const std::string deep(16 * 1024 * 1024, '[');
  EXPECT_EQ(jsonNestingDepth(deep, kMaxJsonDepth), kMaxJsonDepth + 1);
  EXPECT_THROW(parseJsonObject("{\"a\":" + std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']') + "}"),
               BadRequest);
  EXPECT_NO_THROW(parseJsonObject("{\"a\":" + std::string(kMaxJsonDepth - 1, '[') +
                                  std::string(kMaxJsonDepth - 1, ']') + "}"));
}

TEST(GzipEncodingTest, AcceptEncodingValues) {
  const struct {
    const char* header;
    bool gzip;
  } cases[] = {
      {"gzip", true},         {"deflate, gzip", true},        {"GZIP", true},         {"x-gzip", true},
      {"gzip;q=0.5", true},   {"gzip; q=0", false},           {"gzip;q=0.0", false},  {"*", true},
      {"*;q=0", false},       {"*, gzip;q=0", false},         {"deflate, br", false}, {"", false},
      {"gzipper", false},     {"identity", false},            {"gzip;q=junk", false},
  };
  for (const auto& c : cases) EXPECT_EQ(acceptsGzip(c.header), c.gzip) << c.header;
}

// Inflates a whole gzip stream; empty when it is not one (zlib checks the CRC and length).
std::string gunzip(const std::string& data) {
  z_stream z{};
  inflateInit2(&z, 15 + 16);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  std::string out;
  int rc = Z_OK;
  while (rc == Z_OK) {
    char buf[65536];
    z.next_out = reinterpret_cast<Bytef*>(buf);
    z.avail_out = sizeof buf;
    rc = inflate(&z, Z_NO_FLUSH);
    out.append(buf, sizeof buf - z.avail_out);
  }
  inflateEnd(&z);
  return rc == Z_STREAM_END && z.avail_in == 0 ? out : std::string();
}

std::string catalogueLike() {
  std::string text = "[";
  for (int i = 0; i < 200; ++i) text += R"({"ipName":"Frankfurt #)" + std::to_string(i) + R"("},)";
  return text + "{}]";
}

TEST(GzipEncodingTest, APrecompressedPartSplicesIntoAnyAnswer) {
  const std::string part = catalogueLike();
  const auto deflated = DeflatedText::compress(part);
  ASSERT_TRUE(deflated);
  const struct {
    std::string before;
    std::string after;
  } cases[] = {{"", ""}, {R"({"response_code":1,"ip_bundle":)", "}"}, {std::string(70000, 'x'), "tail"}};
  for (const auto& c : cases) {
    const std::string whole = c.before + part + c.after;
    const auto gz = gzipCompress(whole, c.before.size(), *deflated);
    ASSERT_TRUE(gz) << c.before.size();
    EXPECT_EQ(gunzip(*gz), whole) << c.before.size();
  }
  EXPECT_FALSE(gzipCompress(part.substr(1), 0, *deflated)) << "a part longer than the answer";
  EXPECT_FALSE(gzipCompress(part, 1, *deflated));
}

TEST(GzipEncodingTest, CompressesOnlyLargeAnswersForClientsThatAsk) {
  const std::string big = catalogueLike();
  const struct {
    const char* name;
    std::string body;
    const char* acceptEncoding;
    bool compressed;
  } cases[] = {
      {"large, gzip accepted", big, "gzip, deflate", true},
      {"large, not asked", big, "", false},
      {"small, gzip accepted", std::string(kMinCompressedBytes - 1, 'a'), "gzip", false},
  };
  for (const auto& c : cases) {
    HttpResponse res;
    res.body = c.body;
    compressIfAccepted(c.acceptEncoding, res);
    bool encoded = false;
    for (const auto& [name, value] : res.headers) encoded = encoded || (name == "Content-Encoding" && value == "gzip");
    EXPECT_EQ(encoded, c.compressed) << c.name;
    EXPECT_EQ(c.compressed ? gunzip(res.body) : res.body, c.body) << c.name;
    if (c.compressed) {
      EXPECT_LT(res.body.size() * 4, c.body.size()) << c.name;
    }
  }
}

}  // namespace
}  // namespace corvane::backend
