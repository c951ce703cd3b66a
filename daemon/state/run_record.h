#pragma once
// What the slot is running, kept on disk so a restart after a crash can clean up and, when
// the owner's kill switch is on, bring the same tunnel back.
#include <cstdint>
#include <string>

namespace corvane::daemon::state {

struct RunRecord {
  std::uint32_t uid = 0;
  std::string engine;
  std::string content;  // the configuration text; holds keys, so the store is 0600 in 0700
  std::string name;
  std::string managerId;  // set when a manager was started
  std::string startedBy;  // "manager" or "profile"

  friend bool operator==(const RunRecord&, const RunRecord&) = default;
};

}  // namespace corvane::daemon::state
