#include "backend/user_name.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

namespace corvane::backend {
namespace {

std::optional<icu::UnicodeString> decode(std::string_view text) {
  // fromUTF8 would quietly turn bad bytes into U+FFFD; a name must be exactly what was sent.
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
  return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

icu::UnicodeString trimmedWhiteSpace(const icu::UnicodeString& s) {
  int32_t start = 0;
  int32_t end = s.length();
  while (start < end && u_isUWhiteSpace(s.char32At(start))) start = s.moveIndex32(start, 1);
  while (end > start) {
    const int32_t before = s.moveIndex32(end, -1);
    if (!u_isUWhiteSpace(s.char32At(before))) break;
    end = before;
  }
  return icu::UnicodeString(s, start, end - start);
}

std::optional<icu::UnicodeString> normalized(std::string_view text, bool fold) {
  const auto decoded = decode(text);
  if (!decoded) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfkc =
      fold ? icu::Normalizer2::getNFKCCasefoldInstance(status) : icu::Normalizer2::getNFKCInstance(status);
  if (U_FAILURE(status)) return std::nullopt;
  // Trim after normalising too: NFKC turns a no-break space into a plain one.
  icu::UnicodeString out = nfkc->normalize(trimmedWhiteSpace(*decoded), status);
  if (U_FAILURE(status)) return std::nullopt;
  return trimmedWhiteSpace(out);
}

}  // namespace

std::optional<std::string> normalizedName(std::string_view text) {
  const auto n = normalized(text, false);
  if (!n) return std::nullopt;
  std::string out;
  n->toUTF8String(out);
  return out;
}

std::string nameKey(std::string_view text) {
  const auto n = normalized(text, true);
  if (!n) return {};
  std::string out;
  n->toUTF8String(out);
  return out;
}

}  // namespace corvane::backend
