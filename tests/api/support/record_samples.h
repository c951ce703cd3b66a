#pragma once
// Realistic answers with every key of every record filled with a distinct value, and the
// records they must decode into. Shared by the record tests.
#include <string>

#include "api/records/record_decoders.h"

namespace corvane::api::test {

// One IPBundle object (JSON) and its record, `n` varying the values.
std::string ipBundleJson(int n);
IPBundle ipBundleRecord(int n);

std::string inAppPaymentJson();
InAppPayment inAppPaymentRecord();

std::string userJson();  // two servers, the in-app page and every other key
User userRecord();

std::string datumJson();
Datum datumRecord();

std::string deviceResponseJson();  // two devices
DeviceResponse deviceResponseRecord();

}  // namespace corvane::api::test
