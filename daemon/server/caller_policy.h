#pragma once
// Who may use the tunnel service: root, and members of its group (primary or supplementary).
#include <sys/types.h>

#include <optional>
#include <string>

#include "daemon/server/peer_credentials.h"

namespace corvane::daemon::server {

class CallerPolicy {
 public:
  // Looks the group up by name; a group that does not exist admits only root.
  static CallerPolicy forGroup(const std::string& groupName);
  explicit CallerPolicy(std::optional<gid_t> group, std::string groupName)
      : group_(group), groupName_(std::move(groupName)) {}

  bool allows(const PeerCredentials& peer) const;
  // The message of the refusal line.
  std::string refusal(const PeerCredentials& peer) const;
  std::optional<gid_t> group() const { return group_; }

 private:
  std::optional<gid_t> group_;
  std::string groupName_;
};

}  // namespace corvane::daemon::server
