// One catalogue server entry. The plain rule: a missing key or null gives an absent field, a wrong
// type fails the decode. Some keys are camel-case on the wire and others snake-case.
#include "api/records/decoding/document_decoder.h"
#include "api/records/decoding/field_reader.h"
#include "api/records/record_decoders.h"

namespace corvane::api {
namespace {

using decoding::field;

constexpr std::array kIPBundleFields = {
    field<&IPBundle::bundleName>("bundleName"),
    field<&IPBundle::ipName>("ipName"),
    field<&IPBundle::ip>("ip"),
    field<&IPBundle::note>("note"),
    field<&IPBundle::network>("network"),
    field<&IPBundle::config>("config"),
    field<&IPBundle::typeText>("typeTxt"),
    field<&IPBundle::type>("type"),
    field<&IPBundle::priority>("priority"),
    field<&IPBundle::countryCode>("countryCode"),
    field<&IPBundle::vpnServerID>("vpn_server_id"),
    field<&IPBundle::connectionType>("connection_type"),
    field<&IPBundle::sslIP>("ssl_ip"),
    field<&IPBundle::ipID>("ip_id"),
    field<&IPBundle::site>("site"),
    field<&IPBundle::platform>("platform"),
    field<&IPBundle::countryName>("countryName"),
    field<&IPBundle::isStreamingServer>("is_online_stream"),
    field<&IPBundle::isGamingServer>("is_gaming"),
    field<&IPBundle::isFreeServer>("is_free"),
    field<&IPBundle::isHighSpeedServer>("is_fast_server"),
    field<&IPBundle::isAdBlockServer>("is_adblocker"),
    field<&IPBundle::ipConfig>("ip_config"),
    field<&IPBundle::serverCity>("server_city"),
    field<&IPBundle::lng>("lng"),
    field<&IPBundle::lat>("lat"),
};

}  // namespace

bool readRecord(simdjson::dom::object object, IPBundle& record, decoding::DecodeContext& ctx) {
  return decoding::readFields(object, record, kIPBundleFields, ctx);
}

Result<IPBundle> decodeIPBundle(JsonText json) { return decoding::decodeDocument<IPBundle>(json); }

}  // namespace corvane::api
