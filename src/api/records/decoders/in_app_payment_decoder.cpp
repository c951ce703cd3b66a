// The in-app payment page. Its two lists are required: a missing key, a null or a wrong type fails
// the decode. "features_img_block" follows the plain rule: a missing key or null gives an absent
// field, a wrong type fails the decode.
#include "api/records/decoding/document_decoder.h"
#include "api/records/decoding/field_reader.h"
#include "api/records/record_decoders.h"

namespace corvane::api {
namespace {

using decoding::field;
using decoding::FieldRule;

constexpr std::array kInAppPaymentFields = {
    field<&InAppPayment::inAppPackages, FieldRule::required>("iapp_ios_packages"),
    field<&InAppPayment::featureList, FieldRule::required>("premium_features_list"),
    field<&InAppPayment::featureData>("features_img_block"),
};

}  // namespace

bool readRecord(simdjson::dom::object object, InAppPayment& record, decoding::DecodeContext& ctx) {
  return decoding::readFields(object, record, kInAppPaymentFields, ctx);
}

Result<InAppPayment> decodeInAppPayment(JsonText json) {
  return decoding::decodeDocument<InAppPayment>(json);
}

}  // namespace corvane::api
