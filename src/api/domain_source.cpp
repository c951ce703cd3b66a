#include "api/domain_source.h"

#include <simdjson.h>

namespace corvane::api {
namespace {

bool isWhitespace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// Length of the UTF-8 sequence that starts with `lead` (the text is already validated).
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  return 4;
}

char32_t decodeAt(std::string_view text, std::size_t at, std::size_t length) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  switch (length) {
    case 1: return byte(0);
    case 2: return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3: return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    default:
      return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
  }
}

}  // namespace

DomainSourceAnswer readDomainSource(const std::optional<std::string>& body) {
  if (!body || !simdjson::validate_utf8(body->data(), body->size())) {
    return {};
  }
  std::string_view text = *body;
  // From the front: step over whole characters while they are whitespace.
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t length = sequenceLength(static_cast<unsigned char>(text[begin]));
    if (!isWhitespace(decodeAt(text, begin, length))) break;
    begin += length;
  }
  // From the back: find each character's lead byte, then test it.
  std::size_t end = text.size();
  while (end > begin) {
    std::size_t lead = end - 1;
    while (lead > begin && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80) --lead;
    if (!isWhitespace(decodeAt(text, lead, end - lead))) break;
    end = lead;
  }
  if (begin == end) {
    return {DomainSourceText::blank, {}};
  }
  return {DomainSourceText::domain, std::string(text.substr(begin, end - begin))};
}

}  // namespace corvane::api
