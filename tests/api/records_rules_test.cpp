// The null and type rules, one row per case: take a full sample answer, change one value (or
// remove one key), decode, and compare with the decoder's error text or with the sample's
// record changed in the same way. Comparing whole records also proves that nothing else moved.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "api/records/record_decoders.h"
#include "api/support/record_samples.h"

namespace corvane::api {
namespace {

using namespace test;
using Json = nlohmann::ordered_json;

constexpr const char* kRemove = "<remove>";
constexpr const char* kOk = "ok";

struct RuleCase {
  std::string name;
  std::function<std::string()> outcome;  // kOk, or the error description
  std::string expected;
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

// One row: `pointer` in `sample` set to `replacement` (JSON text) or removed (kRemove). An
// accepted answer must equal `record` after `change`.
template <typename R>
RuleCase row(std::string name, Result<R> (*decode)(JsonText), const std::string& sample,
             const R& record, std::string pointer, std::string replacement, std::string expected,
             std::function<void(R&)> change = {}) {
  auto outcome = [=]() -> std::string {
    Json doc = Json::parse(sample);
    const Json::json_pointer at(pointer);
    if (replacement == kRemove) {
      doc.at(at.parent_pointer()).erase(at.back());
    } else {
      doc[at] = Json::parse(replacement);
    }
    Result<R> decoded = decode(doc.dump());
    if (!decoded) return decoded.error().description;
    R want = record;
    if (change) change(want);
    return *decoded == want ? kOk : "decoded into a different record";
  };
  return RuleCase{std::move(name), outcome, std::move(expected)};
}

RuleCase user(std::string name, std::string pointer, std::string replacement, std::string expected,
              std::function<void(User&)> change = {}) {
  return row<User>(std::move(name), decodeUser, userJson(), userRecord(), std::move(pointer),
                   std::move(replacement), std::move(expected), std::move(change));
}

RuleCase devices(std::string name, std::string pointer, std::string replacement,
                 std::string expected, std::function<void(DeviceResponse&)> change = {}) {
  return row<DeviceResponse>(std::move(name), decodeDeviceResponse, deviceResponseJson(),
                             deviceResponseRecord(), std::move(pointer), std::move(replacement),
                             std::move(expected), std::move(change));
}

const std::string kStatus = R"({"status_code":200,"response_code":1,"message":"done"})";
const responseReturn kStatusRecord{200, 1, "done"};

RuleCase status(std::string name, std::string pointer, std::string replacement,
                std::string expected, std::function<void(responseReturn&)> change = {}) {
  return row<responseReturn>(std::move(name), decodeResponseReturn, kStatus, kStatusRecord,
                             std::move(pointer), std::move(replacement), std::move(expected),
                             std::move(change));
}

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
const std::string kPage = "in_app_payment_page_data";

std::vector<RuleCase> cases() {
  return {
      // User: missing → absent, null or wrong type → fails.
      user("user_missing_list_absent", "/ip_bundle", kRemove, kOk,
           [](User& u) { u.ipBundle.reset(); }),
      user("user_empty_list_present", "/ip_bundle", "[]", kOk,
           [](User& u) { u.ipBundle = std::vector<IPBundle>{}; }),
      user("user_null_text_fails", "/message", "null", "message: expected a string, got null"),
      user("user_null_list_fails", "/ip_bundle", "null", "ip_bundle: expected an array, got null"),
      user("user_wrong_list_fails", "/ip_bundle", "{}",
           "ip_bundle: expected an array, got an object"),
      user("user_string_int_fails", "/user_type", R"("1")",
           "user_type: expected a number, got a string"),
      user("user_bool_int_fails", "/response_code", "true",
           "response_code: expected a number, got a boolean"),
      user("user_number_text_fails", "/account_id", "1001",
           "account_id: expected a string, got a number"),
      user("user_null_page_fails", "/" + kPage, "null", kPage + ": expected an object, got null"),
      user("user_missing_page_absent", "/" + kPage, kRemove, kOk,
           [](User& u) { u.inAppData.reset(); }),
      // User's three exceptions.
      user("expire_string_absent", "/expire_in_days", R"("30")", kOk,
           [](User& u) { u.expireInDays.reset(); }),
      user("expire_fraction_absent", "/expire_in_days", "1.5", kOk,
           [](User& u) { u.expireInDays.reset(); }),
      user("expire_object_absent", "/expire_in_days", R"({"days":30})", kOk,
           [](User& u) { u.expireInDays.reset(); }),
      user("expire_null_fails", "/expire_in_days", "null",
           "expire_in_days: expected a number, got null"),
      user("anti_tracker_null_absent", "/anti_tracker", "null", kOk,
           [](User& u) { u.antiTracker.reset(); }),
      user("anti_tracker_number_absent", "/anti_tracker", "1", kOk,
           [](User& u) { u.antiTracker.reset(); }),
      user("adult_blocker_null_absent", "/adult_content_blocker", "null", kOk,
           [](User& u) { u.adultContentBlocker.reset(); }),
      user("adult_blocker_list_absent", "/adult_content_blocker", R"(["on"])", kOk,
           [](User& u) { u.adultContentBlocker.reset(); }),
      // Numbers in Int fields.
      user("int_written_as_float", "/response_code", "1.0", kOk),
      user("int_with_exponent", "/user_type", "2e0", kOk),
      user("int_fraction_fails", "/response_code", "1.5",
           "response_code: expected an integer, got a fractional number (1.5)"),
      user("int_min", "/response_code", std::to_string(kMin), kOk,
           [](User& u) { u.responseCode = kMin; }),
      user("int_max", "/response_code", std::to_string(kMax), kOk,
           [](User& u) { u.responseCode = kMax; }),
      user("int_above_max_fails", "/response_code", "9223372036854775808",
           "response_code: expected a 64-bit integer, got 9223372036854775808 (out of range)"),
      user("int_huge_float_fails", "/user_type", "1e30",
           "user_type: expected a 64-bit integer, got 1e+30 (out of range)"),
      // Nested IPBundle: the plain rule, with the path of the element.
      user("server_bool_flag_fails", "/ip_bundle/1/is_free", "true",
           "ip_bundle[1].is_free: expected a number, got a boolean"),
      user("server_null_absent", "/ip_bundle/0/note", "null", kOk,
           [](User& u) { (*u.ipBundle)[0].note.reset(); }),
      user("server_missing_absent", "/ip_bundle/1/vpn_server_id", kRemove, kOk,
           [](User& u) { (*u.ipBundle)[1].vpnServerID.reset(); }),
      user("server_string_id_fails", "/ip_bundle/0/ip_id", R"("601")",
           "ip_bundle[0].ip_id: expected a number, got a string"),
      user("server_number_coordinate_fails", "/ip_bundle/0/lat", "50.11",
           "ip_bundle[0].lat: expected a string, got a number"),
      user("null_server_fails", "/ip_bundle/1", "null",
           "ip_bundle[1]: expected an object, got null"),
      user("string_server_fails", "/ip_bundle/0", R"("x")",
           "ip_bundle[0]: expected an object, got a string"),
      // InAppPayment inside User: two required lists, the rest plain.
      user("packages_missing_fails", "/" + kPage + "/iapp_ios_packages", kRemove,
           kPage + ".iapp_ios_packages: required key is missing"),
      user("features_missing_fails", "/" + kPage + "/premium_features_list", kRemove,
           kPage + ".premium_features_list: required key is missing"),
      user("features_null_fails", "/" + kPage + "/premium_features_list", "null",
           kPage + ".premium_features_list: expected an array, got null"),
      user("feature_number_fails", "/" + kPage + "/premium_features_list/1", "7",
           kPage + ".premium_features_list[1]: expected a string, got a number"),
      user("packages_empty_ok", "/" + kPage + "/iapp_ios_packages", "[]", kOk,
           [](User& u) { u.inAppData->inAppPackages = std::vector<InAppVPN>{}; }),
      user("image_block_null_absent", "/" + kPage + "/features_img_block", "null", kOk,
           [](User& u) { u.inAppData->featureData.reset(); }),
      user("image_href_number_fails", "/" + kPage + "/features_img_block/href", "1",
           kPage + ".features_img_block.href: expected a string, got a number"),
      user("price_string_fails", "/" + kPage + "/iapp_ios_packages/0/price", R"("4.99")",
           kPage + ".iapp_ios_packages[0].price: expected a number, got a string"),
      user("price_integer_ok", "/" + kPage + "/iapp_ios_packages/0/price", "5", kOk,
           [](User& u) { u.inAppData->inAppPackages->at(0).price = 5.0; }),
      user("package_null_id_absent", "/" + kPage + "/iapp_ios_packages/1/id", "null", kOk,
           [](User& u) { u.inAppData->inAppPackages->at(1).id.reset(); }),
      // DeviceResponse and Datum: the plain rule.
      devices("devices_null_list_absent", "/data", "null", kOk,
              [](DeviceResponse& r) { r.data.reset(); }),
      devices("devices_null_message_absent", "/message", "null", kOk,
              [](DeviceResponse& r) { r.message.reset(); }),
      devices("devices_string_status_fails", "/status_code", R"("200")",
              "status_code: expected a number, got a string"),
      devices("device_bool_flag_fails", "/data/1/is_rooted_phone", "false",
              "data[1].is_rooted_phone: expected a number, got a boolean"),
      devices("device_null_password_absent", "/data/0/password", "null", kOk,
              [](DeviceResponse& r) { (*r.data)[0].password.reset(); }),
      devices("null_device_fails", "/data/1", "null", "data[1]: expected an object, got null"),
      // responseReturn: the plain rule.
      status("status_null_absent", "/status_code", "null", kOk,
             [](responseReturn& r) { r.StatusCode.reset(); }),
      status("status_missing_absent", "/message", kRemove, kOk,
             [](responseReturn& r) { r.message.reset(); }),
      status("status_number_message_fails", "/message", "5",
             "message: expected a string, got a number"),
      status("status_bool_code_fails", "/response_code", "true",
             "response_code: expected a number, got a boolean"),
      // The records decoded on their own keep their rules, with paths from their own root.
      row<WGConfig>("wg_null_absent", decodeWGConfig, R"({"result":"x"})", WGConfig{"x"}, "/result",
                    "null", kOk, [](WGConfig& c) { c.result.reset(); }),
      row<WGConfig>("wg_number_fails", decodeWGConfig, R"({"result":"x"})", WGConfig{"x"},
                    "/result", "1", "result: expected a string, got a number"),
      row<IPBundle>("bundle_bool_flag_fails", decodeIPBundle, ipBundleJson(3), ipBundleRecord(3),
                    "/is_free", "true", "is_free: expected a number, got a boolean"),
      row<InAppPayment>("payment_packages_missing_fails", decodeInAppPayment, inAppPaymentJson(),
                        inAppPaymentRecord(), "/iapp_ios_packages", kRemove,
                        "iapp_ios_packages: required key is missing"),
      row<Datum>("datum_string_app_id_fails", decodeDatum, datumJson(), datumRecord(), "/app_id",
                 R"("13")", "app_id: expected a number, got a string"),
  };
}

class RecordRules : public testing::TestWithParam<RuleCase> {};

TEST_P(RecordRules, DecodeOutcome) { EXPECT_EQ(GetParam().outcome(), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Records, RecordRules, testing::ValuesIn(cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace corvane::api
