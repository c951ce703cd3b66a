#pragma once
// User names and contact addresses as people type them: a fullwidth "ｄｅｍｏ", a name with a
// no-break space at its end and "DEMO" are all the same account. Names are stored in NFKC with
// the white space at both ends trimmed, and compared by their case-folded NFKC key.
#include <optional>
#include <string>
#include <string_view>

namespace corvane::backend {

// NFKC of `text` without leading and trailing Unicode white space; nothing when `text` is not
// valid UTF-8.
std::optional<std::string> normalizedName(std::string_view text);

// The comparison key of a name: NFKC_Casefold of its normalised form (so "Straße" and
// "STRASSE" meet). Empty when `text` is not valid UTF-8.
std::string nameKey(std::string_view text);

}  // namespace corvane::backend
