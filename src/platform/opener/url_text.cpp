#include "platform/opener/url_text.h"

#include <boost/url/encode.hpp>
#include <boost/url/parse.hpp>
#include <boost/url/grammar/lut_chars.hpp>
#include <boost/url/rfc/pchars.hpp>
#include <boost/url/rfc/unreserved_chars.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace corvane::platform {

namespace {

constexpr auto kQueryChars = boost::urls::pchars + '/' + '?';
constexpr auto kMailAddressChars = boost::urls::unreserved_chars + "@!$'()*+;:";
constexpr std::array<std::string_view, 4> kOpenableSchemes = {"http", "https", "mailto", "tg"};

}  // namespace

bool formsValidUrl(std::string_view text) {
  return !text.empty() && boost::urls::parse_uri(text).has_value();
}

bool isOpenableUrl(std::string_view text) {
  if (text.empty()) return false;
  const auto parsed = boost::urls::parse_uri(text);
  if (!parsed) return false;
  std::string scheme(parsed->scheme());
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::find(kOpenableSchemes.begin(), kOpenableSchemes.end(), scheme) != kOpenableSchemes.end();
}

std::string percentEncodeMailAddress(std::string_view address) {
  return boost::urls::encode(address, kMailAddressChars);
}

std::string percentEncodeQuery(std::string_view text) {
  return boost::urls::encode(text, kQueryChars);
}

}  // namespace corvane::platform
