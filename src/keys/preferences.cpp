#include "keys/preferences.h"

#include <utility>
#include <variant>

namespace corvane::keys {

void Preferences::set(const TextKey& key, std::optional<std::string> value) {
  store_->setString(key.key, std::move(value));
}

void Preferences::setIfChanged(const TextKey& key, std::optional<std::string> value) {
  const std::optional<platform::PreferenceValue> current = store_->objectForKey(key.key);
  const bool same = !value ? !current
                           : (current && std::holds_alternative<std::string>(*current) &&
                              std::get<std::string>(*current) == *value);
  if (same) return;
  store_->setString(key.key, std::move(value));
}

}  // namespace corvane::keys
