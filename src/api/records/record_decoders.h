#pragma once
// Decoders of the backend's JSON answers into their records. Each takes the whole answer text
// and gives the record or a "DecodingError" whose description names the JSON path and the
// reason ("ip_bundle[3].is_free: expected a number, got a boolean").
//
// The whole text must be valid JSON with an object at its root, at most kMaxDocumentBytes
// long (decoding/decoding_limits.h). Safe to call from any thread.
#include "api/records/datum.h"
#include "api/records/decoding/decoding_error.h"
#include "api/records/decoding/json_text.h"
#include "api/records/device_response.h"
#include "api/records/in_app_feature.h"
#include "api/records/in_app_payment.h"
#include "api/records/in_app_vpn.h"
#include "api/records/ip_bundle.h"
#include "api/records/response_return.h"
#include "api/records/user.h"
#include "api/records/wg_config.h"
#include "platform/core/result.h"

namespace corvane::api {

// The answers of the backend's operations.
Result<User> decodeUser(JsonText json);
Result<responseReturn> decodeResponseReturn(JsonText json);
Result<WGConfig> decodeWGConfig(JsonText json);
Result<DeviceResponse> decodeDeviceResponse(JsonText json);

// The nested records on their own, with the same rules as inside their parent.
Result<IPBundle> decodeIPBundle(JsonText json);
Result<Datum> decodeDatum(JsonText json);
Result<InAppPayment> decodeInAppPayment(JsonText json);
Result<InAppVPN> decodeInAppVPN(JsonText json);
Result<InAppFeature> decodeInAppFeature(JsonText json);

}  // namespace corvane::api
