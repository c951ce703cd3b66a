#include "tunnelcore/shared_preferences.h"

namespace corvane::tunnelcore {
namespace {
constexpr const char* kSelectedProfileID = "selected_profile_id";
constexpr const char* kNetworkPermissionRequested = "network_permission_requested";
constexpr const char* kNextProfileUpdate = "next_profile_update";
// Stored instead of a removed key: the table holds integers only.
constexpr std::int64_t kNothingScheduled = -1;
}  // namespace

Result<std::int64_t> SharedPreferences::selectedProfileID() {
  auto value = database_.preference(kSelectedProfileID);
  if (!value) return value.error();
  return value->value_or(0);
}

Result<void> SharedPreferences::setSelectedProfileID(std::int64_t id) {
  return database_.setPreference(kSelectedProfileID, id);
}

Result<std::optional<std::int64_t>> SharedPreferences::nextProfileUpdate() {
  auto value = database_.preference(kNextProfileUpdate);
  if (!value) return value.error();
  if (!value->has_value() || **value == kNothingScheduled) return std::optional<std::int64_t>();
  return *value;
}

Result<void> SharedPreferences::setNextProfileUpdate(std::optional<std::int64_t> unixSeconds) {
  return database_.setPreference(kNextProfileUpdate, unixSeconds.value_or(kNothingScheduled));
}

Result<bool> SharedPreferences::networkPermissionRequested() {
  auto value = database_.preference(kNetworkPermissionRequested);
  if (!value) return value.error();
  return value->value_or(0) != 0;
}

Result<void> SharedPreferences::setNetworkPermissionRequested(bool requested) {
  return database_.setPreference(kNetworkPermissionRequested, requested ? 1 : 0);
}

}  // namespace corvane::tunnelcore
