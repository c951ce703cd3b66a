#include "app/platform_choices.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "platform/mainloop/manual/manual_loop.h"
#include "platform/vpn/daemon_vpn_service.h"
#include "platform/vpn/linux/socket_tunnel_daemon.h"
#include "platform/vpn/no_vpn_service.h"

namespace corvane::app {
namespace {

enum class SocketFile { listening, boundNotListening, missing };

struct VpnChoiceCase {
  const char* name;
  SocketFile socket;
  bool tunnelService;  // DaemonVpnService, else NoVpnService
};

class VpnServiceChoice : public ::testing::TestWithParam<VpnChoiceCase> {};

// The tunnel service's client is always there (the core drives it, and its subscription
// follows a service that starts later); the VPN service is the tunnel service's only where the
// socket answers now.
TEST_P(VpnServiceChoice, FollowsWhetherTheSocketAnswers) {
  const auto& c = GetParam();
  const auto folder = std::filesystem::temp_directory_path() / ("corvane-vpn-choice-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto path = (folder / "tunneld.sock").string();
  int fd = -1;
  if (c.socket != SocketFile::missing) {
    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);
    if (c.socket == SocketFile::listening) {
      ASSERT_EQ(::listen(fd, 4), 0);
    }
  }
  ::setenv("CORVANE_TUNNELD_SOCKET", path.c_str(), 1);
  {
    platform::ManualLoop loop;
    platform::NotificationCenter notifications;
    TunnelSide side = makeVpnService(loop, notifications, platform::Log::null());
    ASSERT_NE(dynamic_cast<platform::SocketTunnelDaemon*>(side.daemon.get()), nullptr);
    EXPECT_EQ(dynamic_cast<platform::DaemonVpnService*>(side.vpn.get()) != nullptr, c.tunnelService);
    EXPECT_EQ(dynamic_cast<platform::NoVpnService*>(side.vpn.get()) != nullptr, !c.tunnelService);
  }
  ::unsetenv("CORVANE_TUNNELD_SOCKET");
  if (fd >= 0) ::close(fd);
  std::filesystem::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Sockets, VpnServiceChoice,
                         ::testing::Values(VpnChoiceCase{"listening", SocketFile::listening, true},
                                           VpnChoiceCase{"boundNotListening", SocketFile::boundNotListening, false},
                                           VpnChoiceCase{"missing", SocketFile::missing, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::app
