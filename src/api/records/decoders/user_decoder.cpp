// The login answer. A present key must hold its type (strict); "expire_in_days" and the two
// blocker texts are the exceptions.
//
// "expire_in_days": only a value of the wrong type gives an absent field. A null is not a value
// of the wrong type, it is no value at all, and for a field decoded as a non-optional Int that
// fails the decode as for every other User key. Only "anti_tracker" and
// "adult_content_blocker" also turn a null into an absent field.
//
// "in_app_payment_page_data" is strict too: null fails, and an object lacking one of
// InAppPayment's two required lists fails the whole answer.
#include "api/records/decoding/document_decoder.h"
#include "api/records/decoding/field_reader.h"
#include "api/records/record_decoders.h"

namespace corvane::api {
namespace {

using decoding::field;
using decoding::FieldRule;

constexpr std::array kUserFields = {
    field<&User::responseCode, FieldRule::strict>("response_code"),
    field<&User::message, FieldRule::strict>("message"),
    field<&User::ipBundle, FieldRule::strict>("ip_bundle"),
    field<&User::expireInDays, FieldRule::absentOnWrongType>("expire_in_days"),
    field<&User::validityDate, FieldRule::strict>("validity_date"),
    field<&User::expiryDate, FieldRule::strict>("expired_at"),
    field<&User::userType, FieldRule::strict>("user_type"),
    field<&User::annTitle, FieldRule::strict>("announcement_title"),
    field<&User::annContent, FieldRule::strict>("announcement_content"),
    field<&User::showFullScreen, FieldRule::strict>("show_full_screen"),
    field<&User::userStatus, FieldRule::strict>("user_status"),
    field<&User::accountId, FieldRule::strict>("account_id"),
    field<&User::contactEmail, FieldRule::strict>("contact_email"),
    field<&User::websiteUrl, FieldRule::strict>("website_url"),
    field<&User::inAppData, FieldRule::strict>("in_app_payment_page_data"),
    field<&User::antiTracker, FieldRule::lenient>("anti_tracker"),
    field<&User::adultContentBlocker, FieldRule::lenient>("adult_content_blocker"),
};

}  // namespace

bool readRecord(simdjson::dom::object object, User& record, decoding::DecodeContext& ctx) {
  return decoding::readFields(object, record, kUserFields, ctx);
}

Result<User> decodeUser(JsonText json) { return decoding::decodeDocument<User>(json); }

}  // namespace corvane::api
