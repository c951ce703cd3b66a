#include "tunnelcore/shared_preferences.h"

namespace corvane::tunnelcore {
namespace {
constexpr const char* kSelectedProfileID = "selected_profile_id";
constexpr const char* kNetworkPermissionRequested = "network_permission_requested";
}  // namespace

Result<std::int64_t> SharedPreferences::selectedProfileID() {
  auto value = database_.preference(kSelectedProfileID);
  if (!value) return value.error();
  return value->value_or(0);
}

Result<void> SharedPreferences::setSelectedProfileID(std::int64_t id) {
  return database_.setPreference(kSelectedProfileID, id);
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
