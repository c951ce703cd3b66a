#include "app/app_group_preferences.h"

#include <utility>

#include "app/preference_key.h"

namespace corvane::app {

std::optional<std::string> AppGroupPreferences::username() const {
  return store_.stringForKey(PreferenceKey::username);
}

void AppGroupPreferences::setUsername(std::optional<std::string> value) {
  store_.setString(PreferenceKey::username, std::move(value));
}

std::optional<std::string> AppGroupPreferences::password() const {
  return store_.stringForKey(PreferenceKey::password);
}

void AppGroupPreferences::setPassword(std::optional<std::string> value) {
  store_.setString(PreferenceKey::password, std::move(value));
}

}  // namespace corvane::app
