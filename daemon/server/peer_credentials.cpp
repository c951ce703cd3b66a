#include "daemon/server/peer_credentials.h"

#include <fmt/format.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace corvane::daemon::server {

Result<PeerCredentials> PeerCredentials::of(int socketFd) {
  ucred cred{};
  socklen_t length = sizeof cred;
  if (getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) {
    return Error("PeerCredentials", errno, fmt::format("SO_PEERCRED: {}", std::strerror(errno)));
  }
  PeerCredentials out;
  out.pid = cred.pid;
  out.uid = cred.uid;
  out.gid = cred.gid;
  // SO_PEERGROUPS (Linux 4.13) answers ERANGE with the size it needs when the buffer is short.
  std::vector<gid_t> groups(64);
  for (int attempt = 0; attempt < 3; ++attempt) {
    socklen_t bytes = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
    if (getsockopt(socketFd, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &bytes) == 0) {
      groups.resize(bytes / sizeof(gid_t));
      out.groups = std::move(groups);
      return out;
    }
    if (errno != ERANGE) break;
    groups.resize(bytes / sizeof(gid_t) + 1);
  }
  // Without the supplementary groups only the primary group counts: refusing a member is
  // safer than guessing from /etc/group, which may have changed since the peer logged in.
  return out;
}

}  // namespace corvane::daemon::server
