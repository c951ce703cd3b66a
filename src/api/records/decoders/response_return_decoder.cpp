// The generic status answer. The plain rule: a missing key or null gives an absent field, a wrong
// type fails the decode.
#include "api/records/decoding/document_decoder.h"
#include "api/records/decoding/field_reader.h"
#include "api/records/record_decoders.h"

namespace corvane::api {
namespace {

using decoding::field;

constexpr std::array kResponseReturnFields = {
    field<&responseReturn::StatusCode>("status_code"),
    field<&responseReturn::responseCode>("response_code"),
    field<&responseReturn::message>("message"),
};

}  // namespace

bool readRecord(simdjson::dom::object object, responseReturn& record,
                decoding::DecodeContext& ctx) {
  return decoding::readFields(object, record, kResponseReturnFields, ctx);
}

Result<responseReturn> decodeResponseReturn(JsonText json) {
  return decoding::decodeDocument<responseReturn>(json);
}

}  // namespace corvane::api
