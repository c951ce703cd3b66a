#pragma once
// Opens ICMP sockets the way an unprivileged pinger should: the datagram kind first, the raw
// kind only when the kernel refuses the datagram kind to this user.
#include "platform/icmp/icmp_socket.h"

namespace corvane::platform {

class LinuxIcmpSocketFactory : public IcmpSocketFactory {
 public:
  enum class Kind {
    automatic,     // datagram, raw on EACCES/EPERM
    datagramOnly,  // tests and benchmarks that must exercise one path
    rawOnly,
  };

  explicit LinuxIcmpSocketFactory(Kind kind = Kind::automatic) : kind_(kind) {}

  Result<std::unique_ptr<IcmpSocket>> open(std::uint16_t identifier) override;

 private:
  Kind kind_;
};

std::unique_ptr<IcmpSocketFactory> makeSystemIcmpSocketFactory();

}  // namespace corvane::platform
