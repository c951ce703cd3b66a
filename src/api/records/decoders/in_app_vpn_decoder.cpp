// One in-app package. The plain rule: a missing key or null gives an absent field, a wrong type
// fails the decode. "price" is a Double and takes integers too.
#include "api/records/decoding/document_decoder.h"
#include "api/records/decoding/field_reader.h"
#include "api/records/record_decoders.h"

namespace corvane::api {
namespace {

using decoding::field;

constexpr std::array kInAppVPNFields = {
    field<&InAppVPN::id>("id"),
    field<&InAppVPN::name>("name"),
    field<&InAppVPN::price>("price"),
    field<&InAppVPN::skuID>("sku_ids"),
    field<&InAppVPN::subTitle>("sub_title"),
    field<&InAppVPN::highlightedText>("highlighted_text"),
    field<&InAppVPN::featureTitle>("feature_title"),
};

}  // namespace

bool readRecord(simdjson::dom::object object, InAppVPN& record, decoding::DecodeContext& ctx) {
  return decoding::readFields(object, record, kInAppVPNFields, ctx);
}

Result<InAppVPN> decodeInAppVPN(JsonText json) { return decoding::decodeDocument<InAppVPN>(json); }

}  // namespace corvane::api
