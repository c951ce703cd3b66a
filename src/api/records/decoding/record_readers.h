#pragma once
// One reader per record, each defined beside its field table in decoders/<record>_decoder.cpp.
// The generic value reader finds them by overload, which is how a list of IPBundle inside User
// is read with IPBundle's own rules.
#include <simdjson.h>

#include "api/records/datum.h"
#include "api/records/device_response.h"
#include "api/records/in_app_feature.h"
#include "api/records/in_app_payment.h"
#include "api/records/in_app_vpn.h"
#include "api/records/ip_bundle.h"
#include "api/records/response_return.h"
#include "api/records/user.h"
#include "api/records/wg_config.h"

namespace corvane::api {

namespace decoding {
class DecodeContext;
}

bool readRecord(simdjson::dom::object object, User& record, decoding::DecodeContext& ctx);
bool readRecord(simdjson::dom::object object, IPBundle& record, decoding::DecodeContext& ctx);
bool readRecord(simdjson::dom::object object, responseReturn& record, decoding::DecodeContext& ctx);
bool readRecord(simdjson::dom::object object, WGConfig& record, decoding::DecodeContext& ctx);
bool readRecord(simdjson::dom::object object, DeviceResponse& record, decoding::DecodeContext& ctx);
bool readRecord(simdjson::dom::object object, Datum& record, decoding::DecodeContext& ctx);
bool readRecord(simdjson::dom::object object, InAppPayment& record, decoding::DecodeContext& ctx);
bool readRecord(simdjson::dom::object object, InAppVPN& record, decoding::DecodeContext& ctx);
bool readRecord(simdjson::dom::object object, InAppFeature& record, decoding::DecodeContext& ctx);

}  // namespace corvane::api
