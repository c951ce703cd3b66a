// The feature image block. The plain rule: a missing key or null gives an absent field, a wrong
// type fails the decode.
#include "api/records/decoding/document_decoder.h"
#include "api/records/decoding/field_reader.h"
#include "api/records/record_decoders.h"

namespace corvane::api {
namespace {

using decoding::field;

constexpr std::array kInAppFeatureFields = {
    field<&InAppFeature::imageURLNet>("img_url"),
    field<&InAppFeature::websiteNet>("href"),
};

}  // namespace

bool readRecord(simdjson::dom::object object, InAppFeature& record, decoding::DecodeContext& ctx) {
  return decoding::readFields(object, record, kInAppFeatureFields, ctx);
}

Result<InAppFeature> decodeInAppFeature(JsonText json) {
  return decoding::decodeDocument<InAppFeature>(json);
}

}  // namespace corvane::api
