// Every key of every record lands in its own field, whatever the key order, and unknown keys
// are ignored.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "api/records/record_decoders.h"
#include "api/support/record_samples.h"

namespace corvane::api {
namespace {

using namespace test;

template <typename R>
void expectDecodes(Result<R> decoded, const R& expected) {
  ASSERT_TRUE(decoded.ok()) << decoded.error().description;
  EXPECT_TRUE(*decoded == expected);
}

TEST(RecordSamples, EveryKeyOfEveryRecordDecodes) {
  expectDecodes(decodeUser(userJson()), userRecord());
  expectDecodes(decodeIPBundle(ipBundleJson(7)), ipBundleRecord(7));
  expectDecodes(decodeInAppPayment(inAppPaymentJson()), inAppPaymentRecord());
  expectDecodes(
      decodeInAppVPN(nlohmann::json::parse(inAppPaymentJson())["iapp_ios_packages"][0].dump()),
      inAppPaymentRecord().inAppPackages->at(0));
  expectDecodes(decodeInAppFeature(R"({"img_url":"i","href":"h"})"), InAppFeature{"i", "h"});
  expectDecodes(decodeDeviceResponse(deviceResponseJson()), deviceResponseRecord());
  expectDecodes(decodeDatum(datumJson()), datumRecord());
  expectDecodes(decodeResponseReturn(R"({"status_code":200,"response_code":1,"message":"ok"})"),
                responseReturn{200, 1, "ok"});
  expectDecodes(decodeWGConfig(R"({"result":"[Interface]\nPrivateKey = x\n"})"),
                WGConfig{"[Interface]\nPrivateKey = x\n"});
  expectDecodes(decodeWGConfig(R"({"result":"success"})"), WGConfig{"success"});
}

TEST(RecordSamples, KeyOrderDoesNotMatter) {
  // nlohmann::json keeps objects sorted by key, so a round trip reorders every object.
  expectDecodes(decodeUser(nlohmann::json::parse(userJson()).dump()), userRecord());
  expectDecodes(decodeDeviceResponse(nlohmann::json::parse(deviceResponseJson()).dump()),
                deviceResponseRecord());
}

TEST(RecordSamples, UnknownKeysAreIgnoredAtEveryLevel) {
  auto doc = nlohmann::ordered_json::parse(userJson());
  doc["future_key"] = {{"nested", {1, 2, {{"deep", nullptr}}}}};
  doc["ip_bundle"][0]["new_flag"] = true;
  doc["in_app_payment_page_data"]["iapp_ios_packages"][1]["currency"] = "EUR";
  expectDecodes(decodeUser(doc.dump()), userRecord());
}

TEST(RecordSamples, EmptyObjectsDecodeWithEveryFieldAbsent) {
  expectDecodes(decodeResponseReturn("{}"), responseReturn{});
  expectDecodes(decodeUser("{}"), User{});
  expectDecodes(decodeIPBundle("{}"), IPBundle{});
  expectDecodes(decodeDeviceResponse(" { } "), DeviceResponse{});
  expectDecodes(decodeWGConfig("{}"), WGConfig{});
  expectDecodes(decodeDatum("{}"), Datum{});
  expectDecodes(decodeInAppVPN("{}"), InAppVPN{});
  expectDecodes(decodeInAppFeature("{}"), InAppFeature{});
}

TEST(RecordSamples, StringsAreUnescapedAndKeepEmbeddedNul) {
  auto decoded =
      decodeResponseReturn(R"({"message":"caf\u00e9 \ud83d\ude00 \"q\" a\\b \u0000end"})");
  ASSERT_TRUE(decoded.ok()) << decoded.error().description;
  using namespace std::string_literals;
  EXPECT_EQ(*decoded->message, "caf\xC3\xA9 \xF0\x9F\x98\x80 \"q\" a\\b \0end"s);
}

}  // namespace
}  // namespace corvane::api
