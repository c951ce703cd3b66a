#pragma once
// The app's preferences: one get and one set over the typed key constants of the catalogue
// (preference_key.h), so no caller spells a key or picks a value type. Read rules are the
// store's: an absent flag reads false, an absent integer 0, an absent text as no value;
// setting a text to no value removes the key.
//
// A thin view over a PreferenceStore it does not own; as safe from any thread as the store.
#include <cstdint>
#include <optional>
#include <string>

#include "keys/preference_key.h"
#include "platform/preferences/preference_store.h"

namespace corvane::keys {

class Preferences {
 public:
  explicit Preferences(platform::PreferenceStore& store) : store_(&store) {}

  platform::PreferenceStore& store() const { return *store_; }

  bool get(const FlagKey& key) const { return store_->boolForKey(key.key); }
  std::int64_t get(const IntegerKey& key) const { return store_->integerForKey(key.key); }
  std::optional<std::string> get(const TextKey& key) const { return store_->stringForKey(key.key); }

  void set(const FlagKey& key, bool value) { store_->setBool(key.key, value); }
  void set(const IntegerKey& key, std::int64_t value) { store_->setInteger(key.key, value); }
  void set(const TextKey& key, std::optional<std::string> value);

  // Writes only when the stored value differs (no value and an absent key count as equal).
  // Every write to the store is a durable commit (an fsync), while a read is not; login alone
  // stores three texts that are almost always the same as last time, so skipping unchanged
  // ones keeps disk syncs off the round trip. What a reader sees afterwards is the same.
  void setIfChanged(const TextKey& key, std::optional<std::string> value);

 private:
  platform::PreferenceStore* store_;
};

}  // namespace corvane::keys
