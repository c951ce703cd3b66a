#pragma once
// Who is at the other end of a Unix socket, as the kernel tells it (SO_PEERCRED for the
// ids, SO_PEERGROUPS for the supplementary groups the peer had when it connected).
#include <sys/types.h>

#include <vector>

#include "platform/core/result.h"

namespace corvane::daemon::server {

struct PeerCredentials {
  pid_t pid = 0;
  uid_t uid = 0;
  gid_t gid = 0;
  std::vector<gid_t> groups;

  static Result<PeerCredentials> of(int socketFd);
};

}  // namespace corvane::daemon::server
