#include "platform/opener/url_text.h"

#include <boost/url/encode.hpp>
#include <boost/url/parse.hpp>
#include <boost/url/rfc/pchars.hpp>

namespace corvane::platform {

namespace {

constexpr auto kQueryChars = boost::urls::pchars + '/' + '?';

}  // namespace

bool formsValidUrl(std::string_view text) {
  return !text.empty() && boost::urls::parse_uri(text).has_value();
}

std::string percentEncodeQuery(std::string_view text) {
  return boost::urls::encode(text, kQueryChars);
}

}  // namespace corvane::platform
