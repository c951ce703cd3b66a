#pragma once
// The domain source's answer: plain UTF-8 text naming the API domain, possibly padded with
// whitespace or line breaks.
#include <optional>
#include <string>
#include <string_view>

namespace corvane::api {

enum class DomainSourceText {
  domain,         // a non-empty domain after trimming
  blank,          // valid text, but nothing left after trimming
  notText,        // no body, or bytes that are not UTF-8
};

struct DomainSourceAnswer {
  DomainSourceText kind = DomainSourceText::notText;
  std::string domain;  // set for kind == domain
};

// Trims Unicode whitespace and line breaks (space, tab, CR, LF, NBSP, U+2028 and the rest of
// the White_Space property) from both ends.
DomainSourceAnswer readDomainSource(const std::optional<std::string>& body);

}  // namespace corvane::api
