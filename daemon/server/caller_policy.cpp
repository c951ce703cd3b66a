#include "daemon/server/caller_policy.h"

#include <fmt/format.h>
#include <grp.h>

#include <algorithm>
#include <vector>

namespace corvane::daemon::server {

CallerPolicy CallerPolicy::forGroup(const std::string& groupName) {
  struct group entry{};
  struct group* found = nullptr;
  std::vector<char> buffer(16 * 1024);
  if (getgrnam_r(groupName.c_str(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
    return CallerPolicy(found->gr_gid, groupName);
  }
  return CallerPolicy(std::nullopt, groupName);
}

bool CallerPolicy::allows(const PeerCredentials& peer) const {
  if (peer.uid == 0) return true;
  if (!group_) return false;
  return peer.gid == *group_ || std::find(peer.groups.begin(), peer.groups.end(), *group_) != peer.groups.end();
}

std::string CallerPolicy::refusal(const PeerCredentials& peer) const {
  return fmt::format("uid {} is neither root nor a member of group {}", peer.uid, groupName_);
}

}  // namespace corvane::daemon::server
