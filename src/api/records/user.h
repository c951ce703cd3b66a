#pragma once
// The login answer. Unlike the other records, a present key must hold a value of its type:
// a JSON null or a wrong type fails the decode. The exceptions are "expire_in_days" (a wrong
// type leaves it absent) and "anti_tracker" / "adult_content_blocker" (a wrong type or a null
// leaves them absent). A missing key always leaves the field absent.
//
// A login is accepted only when responseCode is present and equals 1.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "api/records/in_app_payment.h"
#include "api/records/ip_bundle.h"

namespace corvane::api {

struct User {
  std::optional<std::int64_t> responseCode;        // "response_code"
  std::optional<std::string> message;              // "message"
  std::optional<std::vector<IPBundle>> ipBundle;   // "ip_bundle": the server catalogue
  std::optional<std::int64_t> expireInDays;        // "expire_in_days"
  std::optional<std::string> validityDate;         // "validity_date"
  std::optional<std::string> expiryDate;           // "expired_at"
  std::optional<std::int64_t> userType;            // "user_type"
  std::optional<std::string> annTitle;             // "announcement_title"
  std::optional<std::string> annContent;           // "announcement_content"
  std::optional<std::string> showFullScreen;       // "show_full_screen"
  std::optional<std::string> userStatus;           // "user_status"
  std::optional<std::string> accountId;            // "account_id"
  std::optional<std::string> contactEmail;         // "contact_email"
  std::optional<std::string> websiteUrl;           // "website_url"
  std::optional<InAppPayment> inAppData;           // "in_app_payment_page_data"
  std::optional<std::string> antiTracker;          // "anti_tracker"
  std::optional<std::string> adultContentBlocker;  // "adult_content_blocker"

  friend bool operator==(const User&, const User&) = default;
};

}  // namespace corvane::api
