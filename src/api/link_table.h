#pragma once
// The link table fetched at start-up: support links to keep, and up to two domain sources (URLs
// whose answer names the API domain). Only members whose values are strings count.
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/result.h"

namespace corvane::api {

struct LinkTable {
  std::optional<std::string> aboutUsLink;     // "about_us_link"
  std::optional<std::string> getSupportLink;  // "get_support_link"
  std::optional<std::string> emailLink;       // "email_link"
  std::optional<std::string> whatsappLink;    // "whatsapp_link"
  std::optional<std::string> domainLink1;     // "domain_link_1": first domain source
  std::optional<std::string> domainLink2;     // "domain_link_2": second domain source
  // The whole answer in dictionary notation, for the "Base URL's: " log line.
  std::string description;
};

// A body that is not JSON is an error (the caller logs it and stays on the splash). JSON that
// is not an object reads as an empty table.
Result<LinkTable> parseLinkTable(std::string_view body);

}  // namespace corvane::api
