#pragma once
// Values as `corvanectl defaults` takes them in and prints them.
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "keys/preference_key.h"
#include "platform/core/result.h"
#include "platform/preferences/preference_store.h"

namespace corvane::cli {

// The type a stored value has.
keys::PreferenceType typeOfValue(const platform::PreferenceValue& value);

// Parses a value typed on the command line. Flags take true/false, yes/no, 1/0 (any case);
// integers a whole decimal number within 64 bits; texts anything. Errors quote the input.
Result<platform::PreferenceValue> parseValue(keys::PreferenceType type, std::string_view text);

// The value as `read KEY` prints it: flags true/false, integers in decimal, texts as they are.
std::string plainValue(const platform::PreferenceValue& value);
// The value on one line, for listings: texts quoted with JSON escapes, so that a text holding
// a newline (a server configuration) cannot pass for the next entry.
std::string oneLineValue(const platform::PreferenceValue& value);
nlohmann::json jsonValue(const platform::PreferenceValue& value);

// What a secret shows unless --show-secrets is given.
platform::PreferenceValue maskedValue(const platform::PreferenceValue& value);

}  // namespace corvane::cli
