// One signed-in device. The plain rule: a missing key or null gives an absent field, a wrong type
// fails the decode.
#include "api/records/decoding/document_decoder.h"
#include "api/records/decoding/field_reader.h"
#include "api/records/record_decoders.h"

namespace corvane::api {
namespace {

using decoding::field;

constexpr std::array kDatumFields = {
    field<&Datum::id>("id"),
    field<&Datum::pinlistID>("pinlist_id"),
    field<&Datum::username>("username"),
    field<&Datum::password>("password"),
    field<&Datum::udid>("udid"),
    field<&Datum::playerID>("player_id"),
    field<&Datum::appID>("app_id"),
    field<&Datum::deviceType>("device_type"),
    field<&Datum::vpnAppVersion>("vpn_app_version"),
    field<&Datum::brand>("brand"),
    field<&Datum::model>("model"),
    field<&Datum::osName>("os_name"),
    field<&Datum::osVersion>("os_version"),
    field<&Datum::osPlatform>("os_platform"),
    field<&Datum::isRootedPhone>("is_rooted_phone"),
    field<&Datum::createdAt>("created_at"),
};

}  // namespace

bool readRecord(simdjson::dom::object object, Datum& record, decoding::DecodeContext& ctx) {
  return decoding::readFields(object, record, kDatumFields, ctx);
}

Result<Datum> decodeDatum(JsonText json) { return decoding::decodeDocument<Datum>(json); }

}  // namespace corvane::api
