#pragma once
// A flat, case-sensitive key-value store of flags, integers and texts, with the read rules
// the app relies on: an absent flag reads false, an absent integer 0, an absent text as no
// value; writing no value removes the key. Every write is durable and visible to every reader
// (in this process and in others sharing the file) before it returns. Safe from any thread.
//
// Callers never spell keys: they go through the typed accessors in app/preferences.h.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace corvane::platform {

using PreferenceValue = std::variant<bool, std::int64_t, std::string>;

class PreferenceStore {
 public:
  virtual ~PreferenceStore() = default;

  virtual bool boolForKey(std::string_view key) const = 0;
  virtual std::int64_t integerForKey(std::string_view key) const = 0;
  virtual std::optional<std::string> stringForKey(std::string_view key) const = 0;
  // "Read any value": the stored value with its own type, or no value.
  virtual std::optional<PreferenceValue> objectForKey(std::string_view key) const = 0;

  virtual void setBool(std::string_view key, bool value) = 0;
  virtual void setInteger(std::string_view key, std::int64_t value) = 0;
  // No value removes the key.
  virtual void setString(std::string_view key, std::optional<std::string> value) = 0;
  virtual void removeObject(std::string_view key) = 0;

  // Every entry, sorted by key (for `corvanectl defaults list`).
  virtual std::vector<std::pair<std::string, PreferenceValue>> allEntries() const = 0;
};

}  // namespace corvane::platform
