// The signed-in devices answer. The plain rule: a missing key or null gives an absent field, a
// wrong type fails the decode.
#include "api/records/decoding/document_decoder.h"
#include "api/records/decoding/field_reader.h"
#include "api/records/record_decoders.h"

namespace corvane::api {
namespace {

using decoding::field;

constexpr std::array kDeviceResponseFields = {
    field<&DeviceResponse::StatusCode>("status_code"),
    field<&DeviceResponse::responseCode>("response_code"),
    field<&DeviceResponse::message>("message"),
    field<&DeviceResponse::data>("data"),
};

}  // namespace

bool readRecord(simdjson::dom::object object, DeviceResponse& record,
                decoding::DecodeContext& ctx) {
  return decoding::readFields(object, record, kDeviceResponseFields, ctx);
}

Result<DeviceResponse> decodeDeviceResponse(JsonText json) {
  return decoding::decodeDocument<DeviceResponse>(json);
}

}  // namespace corvane::api
