// Whole-answer handling: text that is not JSON, roots that are not objects, hostile sizes and
// depths, duplicate keys, padded input and concurrent decoding.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "api/records/decoding/decoding_limits.h"
#include "api/records/record_decoders.h"
#include "api/support/record_samples.h"

namespace corvane::api {
namespace {

using namespace test;

std::string errorOf(const std::string& json) {
  auto decoded = decodeResponseReturn(json);
  return decoded ? "ok" : decoded.error().description;
}

std::int64_t codeOf(const std::string& json) {
  auto decoded = decodeResponseReturn(json);
  return decoded ? 0 : decoded.error().code;
}

constexpr auto kCorrupted = static_cast<std::int64_t>(DecodingErrorCode::dataCorrupted);
constexpr auto kMismatch = static_cast<std::int64_t>(DecodingErrorCode::typeMismatch);

TEST(RecordInput, TextThatIsNotJsonFailsAtTheRoot) {
  const std::vector<std::string> inputs = {
      "", "   \n", "<html>502 Bad Gateway</html>", "{", R"({"message":"a",})",
      R"({"message":"a"} trailing)", R"({"message":"a"}{"message":"b"})",
      R"({"message":"unterminated})",
      // An unknown key's value is skipped but still validated.
      R"({"message":"a","extra":[1,tru]})",
      // Invalid UTF-8 inside a string, and a lone continuation byte.
      "{\"message\":\"\xC3\x28\"}", "{\"message\":\"\x80\"}",
      std::string("{\"message\":\"a\0b\"}", 17),  // raw NUL is not allowed in a JSON string
  };
  auto fromNothing = decodeUser(std::string_view());
  ASSERT_FALSE(fromNothing);
  EXPECT_EQ(fromNothing.error().description, "<root>: not valid JSON: Empty: no JSON found");
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    const std::string error = errorOf(input);
    EXPECT_EQ(error.rfind("<root>: not valid JSON: ", 0), 0u) << error;
    EXPECT_EQ(codeOf(input), kCorrupted);
  }
}

TEST(RecordInput, NumbersBeyondTheParsersRangeFailOnlyTheKnownKeysHoldingThem) {
  struct Case {
    std::string json;
    std::string outcome;  // "ok", or the error
  };
  const std::vector<Case> cases = {
      {R"({"message":"a","extra":18446744073709551616})", "ok"},
      {R"({"message":"a","extra":1e400})", "ok"},
      {R"({"message":"a","extra":[-1E+400,123456789012345678901234567890,{"k":-9223372036854775809}]})", "ok"},
      {R"({"message":"a","extra":"1e400 and 18446744073709551616 inside a string stay text"})", "ok"},
      {R"({"status_code":18446744073709551616,"message":"a"})",
       "status_code: expected a 64-bit integer, got 1.8446744073709552e+19 (out of range)"},
      {R"({"message":1e400})", "message: expected a string, got an object"},
      // Malformed numbers are still malformed.
      {R"({"message":"a","extra":01})", "<root>: not valid JSON: Problem while parsing a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    const std::string error = errorOf(c.json);
    if (c.outcome == "ok") {
      EXPECT_EQ(error, "ok");
      EXPECT_EQ(decodeResponseReturn(c.json)->message, "a");
    } else {
      EXPECT_EQ(error, c.outcome);
    }
  }
  auto vpn = decodeInAppVPN(R"({"price":18446744073709551616})");
  ASSERT_TRUE(vpn) << vpn.error().description;
  EXPECT_DOUBLE_EQ(vpn->price.value_or(0), 18446744073709551616.0);
}

TEST(RecordInput, RootMustBeAnObject) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"[]", "<root>: expected an object, got an array"},
      {R"("text")", "<root>: expected an object, got a string"},
      {"42", "<root>: expected an object, got a number"},
      {"null", "<root>: expected an object, got null"},
      {"true", "<root>: expected an object, got a boolean"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(errorOf(input), expected);
    EXPECT_EQ(codeOf(input), kMismatch);
  }
  auto decoded = decodeUser("[]");
  ASSERT_FALSE(decoded);
  EXPECT_EQ(decoded.error().domain, "DecodingError");
}

TEST(RecordInput, ErrorCodesNameTheKindOfFailure) {
  EXPECT_EQ(decodeUser(R"({"message":null})").error().code,
            static_cast<std::int64_t>(DecodingErrorCode::valueNotFound));
  EXPECT_EQ(decodeUser(R"({"message":1})").error().code, kMismatch);
  EXPECT_EQ(decodeInAppPayment(R"({"premium_features_list":[]})").error().code,
            static_cast<std::int64_t>(DecodingErrorCode::keyNotFound));
  EXPECT_EQ(decodeUser("nope").error().code, kCorrupted);
}

std::string nested(std::size_t depth) {
  return R"({"message":"x","extra":)" + std::string(depth, '[') + std::string(depth, ']') + "}";
}

TEST(RecordInput, NestingIsBoundedAndNeverCrashes) {
  // The root object is one level, so kMaxDepth - 1 arrays fit and one more does not.
  auto fits = decodeResponseReturn(nested(kMaxDepth - 1));
  ASSERT_TRUE(fits) << fits.error().description;
  EXPECT_EQ(fits->message, "x");
  EXPECT_EQ(errorOf(nested(kMaxDepth)).rfind("<root>: not valid JSON: ", 0), 0u);
  EXPECT_EQ(codeOf(nested(1'000'000)), kCorrupted);
  // Unbalanced openings only.
  EXPECT_EQ(codeOf(std::string(100'000, '{')), kCorrupted);
}

TEST(RecordInput, AnswersAboveTheSizeLimitAreRefusedUnparsed) {
  std::string huge = R"({"message":")" + std::string(kMaxDocumentBytes, 'a') + R"("})";
  EXPECT_EQ(errorOf(huge), "<root>: answer of " + std::to_string(huge.size()) +
                               " bytes is larger than the 67108864-byte limit");
  EXPECT_EQ(codeOf(huge), kCorrupted);
}

std::string featureList(std::size_t count) {
  std::string json = R"({"iapp_ios_packages":[],"premium_features_list":[)";
  for (std::size_t i = 0; i < count; ++i) json += i ? ",\"\"" : "\"\"";
  return json + "]}";
}

TEST(RecordInput, ListsAreBoundedInLength) {
  auto atLimit = decodeInAppPayment(featureList(kMaxListLength));
  ASSERT_TRUE(atLimit) << atLimit.error().description;
  EXPECT_EQ(atLimit->featureList->size(), kMaxListLength);
  auto over = decodeInAppPayment(featureList(kMaxListLength + 1));
  ASSERT_FALSE(over);
  EXPECT_EQ(over.error().description, "premium_features_list: list has more than 100000 elements");
}

TEST(RecordInput, DuplicateKeysAreEachCheckedAndTheLastOneWins) {
  EXPECT_EQ(decodeResponseReturn(R"({"message":"a","message":"b"})")->message, "b");
  EXPECT_FALSE(decodeResponseReturn(R"({"message":"a","message":null})")->message);
  EXPECT_EQ(errorOf(R"({"message":5,"message":"b"})"), "message: expected a string, got a number");
  EXPECT_FALSE(decodeUser(R"({"expire_in_days":5,"expire_in_days":"x"})")->expireInDays);
  EXPECT_EQ(decodeUser(R"({"expire_in_days":"x","expire_in_days":5})")->expireInDays, 5);
}

TEST(RecordInput, PaddedAndUnpaddedTextDecodeAlike) {
  const std::string unpadded = userJson();
  std::string padded;
  padded.reserve(unpadded.size() + kJsonPadding);
  padded = unpadded;
  ASSERT_TRUE(JsonText(padded).padded());
  ASSERT_FALSE(JsonText(std::string_view(padded)).padded());

  const User expected = userRecord();
  auto fromPadded = decodeUser(padded);
  auto fromView = decodeUser(std::string_view(unpadded));
  std::vector<char> buffer(unpadded.begin(), unpadded.end());
  buffer.resize(buffer.size() + kJsonPadding, '\0');
  auto fromBuffer = decodeUser(JsonText::withPadding({buffer.data(), unpadded.size()}));
  ASSERT_TRUE(fromPadded && fromView && fromBuffer);
  EXPECT_TRUE(*fromPadded == expected);
  EXPECT_TRUE(*fromView == expected);
  EXPECT_TRUE(*fromBuffer == expected);
}

TEST(RecordInput, ThreadsDecodeIndependently) {
  // Each thread has its own parser; interleaved decodes must not see each other's documents.
  auto work = [](bool users, int* good) {
    for (int i = 0; i < 200; ++i) {
      if (users) {
        auto u = decodeUser(userJson());
        *good += u && *u == userRecord();
      } else {
        auto d = decodeDeviceResponse(deviceResponseJson());
        *good += d && *d == deviceResponseRecord();
      }
    }
  };
  int goodUsers = 0;
  int goodDevices = 0;
  std::thread a(work, true, &goodUsers);
  std::thread b(work, false, &goodDevices);
  a.join();
  b.join();
  EXPECT_EQ(goodUsers, 200);
  EXPECT_EQ(goodDevices, 200);
}

}  // namespace
}  // namespace corvane::api
