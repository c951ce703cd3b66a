#pragma once
// The application-group store shared with the tunnel service: it holds copies of the
// credentials, written on a successful login, and nothing reads them in this program.
#include <optional>
#include <string>

#include "platform/preferences/preference_store.h"

namespace corvane::app {

class AppGroupPreferences {
 public:
  explicit AppGroupPreferences(platform::PreferenceStore& store) : store_(store) {}

  std::optional<std::string> username() const;
  void setUsername(std::optional<std::string> value);
  std::optional<std::string> password() const;
  void setPassword(std::optional<std::string> value);

 private:
  platform::PreferenceStore& store_;
};

}  // namespace corvane::app
