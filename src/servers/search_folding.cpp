#include "servers/search_folding.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace corvane::servers {

std::string foldForSearch(std::string_view text) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* folding = icu::Normalizer2::getNFKCCasefoldInstance(status);
  if (U_FAILURE(status) || folding == nullptr) return std::string(text);
  const icu::UnicodeString source =
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  icu::UnicodeString folded = folding->normalize(source, status);
  if (U_FAILURE(status)) return std::string(text);
  std::string out;
  folded.toUTF8String(out);
  return out;
}

}  // namespace corvane::servers
