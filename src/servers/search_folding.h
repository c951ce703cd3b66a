#pragma once
// Case-insensitive matching for the server search, for every script: both the country
// names and the search text are brought to one form with ICU's NFKC case folding, so "GER"
// and "ger" match "Germany", "türk" matches "TÜRKIYE", and "strasse" matches "Straße". The
// folded forms are plain UTF-8, so the per-keystroke test is a byte substring search.
#include <string>
#include <string_view>

namespace corvane::servers {

// NFKC + full case folding of UTF-8 `text`. Ill-formed bytes become U+FFFD.
std::string foldForSearch(std::string_view text);

// True when `foldedNeedle` occurs inside `foldedHaystack` (both from foldForSearch).
inline bool foldedContains(std::string_view foldedHaystack, std::string_view foldedNeedle) {
  return foldedHaystack.find(foldedNeedle) != std::string_view::npos;
}

}  // namespace corvane::servers
