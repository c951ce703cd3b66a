// The WireGuard configuration answer. The plain rule: a missing key or null gives an absent field,
// a wrong type fails the decode.
#include "api/records/decoding/document_decoder.h"
#include "api/records/decoding/field_reader.h"
#include "api/records/record_decoders.h"

namespace corvane::api {
namespace {

using decoding::field;

constexpr std::array kWGConfigFields = {
    field<&WGConfig::result>("result"),
};

}  // namespace

bool readRecord(simdjson::dom::object object, WGConfig& record, decoding::DecodeContext& ctx) {
  return decoding::readFields(object, record, kWGConfigFields, ctx);
}

Result<WGConfig> decodeWGConfig(JsonText json) { return decoding::decodeDocument<WGConfig>(json); }

}  // namespace corvane::api
