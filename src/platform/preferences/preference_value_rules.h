#pragma once
// How a stored value reads when asked for another type. The rules follow the platform's
// key-value store, which callers were written against:
//   as a flag:    flag as is; integer != 0; text "yes"/"true" (any case) is true, "no"/"false"
//                 false, otherwise its leading integer != 0 ("1" true, "0" and "abc" false)
//   as integer:   flag 0 or 1; integer as is; text's leading integer after optional blanks and
//                 sign ("42abc" 42, "abc" 0), clamped to the 64-bit range
//   as text:      text as is; integer in decimal; flag "1" or "0" (numbers read as text give
//                 their decimal form, as the platform's number objects do)
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/preferences/preference_store.h"

namespace corvane::platform {

bool flagFromValue(const PreferenceValue& value);
std::int64_t integerFromValue(const PreferenceValue& value);
std::string textFromValue(const PreferenceValue& value);

// The leading integer of `text`, as read for integers above; 0 when there is none.
std::int64_t leadingInteger(std::string_view text);

}  // namespace corvane::platform
