#pragma once
// The tunnel core's own preferences, shared by every process of the user: which profile a
// tunnel starts with, and whether the network-permission step has been done. Blocking calls,
// made from background tasks.
#include <cstdint>
#include <optional>

#include "platform/core/result.h"
#include "tunnelcore/core_database.h"

namespace corvane::tunnelcore {

class SharedPreferences {
 public:
  explicit SharedPreferences(CoreDatabase& database) : database_(database) {}

  // 0 when nothing was ever selected.
  Result<std::int64_t> selectedProfileID();
  Result<void> setSelectedProfileID(std::int64_t id);

  // When the next automatic profile update falls due (unix seconds), kept across launches
  // so a timer outside the app knows it; no value when nothing is scheduled.
  Result<std::optional<std::int64_t>> nextProfileUpdate();
  Result<void> setNextProfileUpdate(std::optional<std::int64_t> unixSeconds);

  // False until written.
  Result<bool> networkPermissionRequested();
  Result<void> setNetworkPermissionRequested(bool requested);

 private:
  CoreDatabase& database_;
};

}  // namespace corvane::tunnelcore
