#include "api/domain_source.h"

#include "platform/core/utf8.h"

namespace corvane::api {
namespace {

bool isWhitespace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

}  // namespace

DomainSourceAnswer readDomainSource(const std::optional<std::string>& body) {
  if (!body || !platform::isValidUtf8(*body)) {
    return {};
  }
  std::string_view text = *body;
  // From the front: step over whole characters while they are whitespace.
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t length = platform::utf8SequenceLength(static_cast<unsigned char>(text[begin]));
    if (!isWhitespace(platform::decodeUtf8At(text, begin, length))) break;
    begin += length;
  }
  // From the back: find each character's lead byte, then test it.
  std::size_t end = text.size();
  while (end > begin) {
    std::size_t lead = end - 1;
    while (lead > begin && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80) --lead;
    if (!isWhitespace(platform::decodeUtf8At(text, lead, end - lead))) break;
    end = lead;
  }
  if (begin == end) {
    return {DomainSourceText::blank, {}};
  }
  return {DomainSourceText::domain, std::string(text.substr(begin, end - begin))};
}

}  // namespace corvane::api
