#pragma once
// Writes a text preference only when it changes. Every write to the store is a durable commit
// (an fsync), while a read is not; login alone stores three texts that are almost always the
// same as last time, so skipping unchanged ones keeps disk syncs off the round trip. What a
// reader sees afterwards is the same either way.
#include <optional>
#include <string>
#include <string_view>

#include "platform/preferences/preference_store.h"

namespace corvane::api {

inline void storeText(platform::PreferenceStore& preferences, std::string_view key, std::optional<std::string> value) {
  const std::optional<platform::PreferenceValue> current = preferences.objectForKey(key);
  if (!value ? !current : (current && std::holds_alternative<std::string>(*current) &&
                            std::get<std::string>(*current) == *value)) {
    return;
  }
  preferences.setString(key, std::move(value));
}

}  // namespace corvane::api
