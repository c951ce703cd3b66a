// The tunnel service client over a real Unix socket, against a scripted service that speaks
// the contract's lines: what goes on the wire, how answers and events come back, and what a
// lost service does to the state.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/log/log.h"
#include "platform/mainloop/manual/manual_loop.h"
#include "platform/vpn/linux/socket_tunnel_daemon.h"
#include "platform/vpn/tunneld/contract.h"
#include "platform/vpn/tunneld/line_codec.h"

namespace corvane::platform {
namespace {

using tunneld::Answer;
using tunneld::LineCodec;

// Accepts connections and answers each request line from a script; events can be pushed to
// every subscribed connection.
class ScriptedService {
 public:
  explicit ScriptedService(std::string path) : path_(std::move(path)) {
    listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path_.c_str());
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 8) != 0) {
      throw std::runtime_error("bind");
    }
    thread_ = std::thread([this] { run(); });
  }
  ~ScriptedService() { close(); }

  void close() {
    if (stopping_.exchange(true)) return;
    ::shutdown(listener_, SHUT_RDWR);
    {
      std::lock_guard lock(mutex_);
      for (int fd : clients_) ::shutdown(fd, SHUT_RDWR);
    }
    thread_.join();
    ::close(listener_);
    for (int fd : clients_) ::close(fd);
    ::unlink(path_.c_str());
  }

  void push(const tunneld::Event& event) {
    std::lock_guard lock(mutex_);
    const std::string line = LineCodec::write(event);
    for (int fd : subscribers_) ::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
  }
  std::vector<tunneld::Request> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

  tunneld::TunnelStatus status;

 private:
  void run() {
    std::vector<std::thread> readers;
    while (!stopping_) {
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) break;
      {
        std::lock_guard lock(mutex_);
        clients_.push_back(fd);
      }
      readers.emplace_back([this, fd] { serve(fd); });
    }
    for (auto& t : readers) t.join();
  }
  void serve(int fd) {
    LineCodec codec;
    std::string buffer;
    char chunk[65536];
    for (;;) {
      const ssize_t got = ::read(fd, chunk, sizeof chunk);
      if (got <= 0) return;
      buffer.append(chunk, static_cast<std::size_t>(got));
      for (auto nl = buffer.find('\n'); nl != std::string::npos; nl = buffer.find('\n')) {
        auto request = codec.parseRequest(buffer.substr(0, nl));
        buffer.erase(0, nl + 1);
        if (!request) continue;
        Answer answer = Answer::success(request->id);
        std::lock_guard lock(mutex_);
        requests_.push_back(*request);
        switch (request->op) {
          case tunneld::Op::managersSave:
            answer.manager = *request->manager;
            answer.manager->id = "m1";
            break;
          case tunneld::Op::managersList: answer.managers = std::vector<tunneld::Manager>{}; break;
          case tunneld::Op::status: answer.status = status; break;
          case tunneld::Op::subscribe: subscribers_.push_back(fd); break;
          case tunneld::Op::start:
            if (request->profile && request->profile->engine == "openvpn") {
              answer = Answer::failure(request->id, {tunneld::ErrorCode::invalidConfig, "directive 'up' refused", false});
            }
            break;
          default: break;
        }
        const std::string line = LineCodec::write(answer);
        ::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
      }
    }
  }

  std::string path_;
  int listener_ = -1;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<int> clients_;
  std::vector<int> subscribers_;
  std::vector<tunneld::Request> requests_;
};

struct TunneldClient : ::testing::Test {
  std::string dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-tunneld-XXXXXX").string();
    return std::string(::mkdtemp(pattern.data()));
  }();
  std::string path = dir + "/tunneld.sock";
  ManualLoop loop;
  std::optional<ScriptedService> service{std::in_place, path};
  SocketTunnelDaemon client{loop, Log::null(), path};

  ~TunneldClient() override {
    service.reset();
    std::filesystem::remove_all(dir);
  }
  template <typename T>
  T await(std::optional<T>& slot) {
    loop.runUntil([&] { return slot.has_value(); }, std::chrono::seconds(5));
    EXPECT_TRUE(slot.has_value());
    return std::move(*slot);
  }
};

TEST_F(TunneldClient, RequestsAnswersAndRefusals) {
  ManagerSettings settings;
  settings.isEnabled = true;
  settings.localizedDescription = "CorvaneVPN";
  settings.isOnDemandEnabled = true;
  settings.onDemandRules = {OnDemandRule{0, std::nullopt}, OnDemandRule{0, "http://127.0.0.1:8080/probe"}};
  settings.protocolConfiguration = TunnelProviderProtocol{"", "net.corvane.client.ConnectTunnel", {{"ovpn", "client\n"}}, "username"};
  std::optional<Result<ManagerSettings>> saved;
  client.saveManager(settings, [&](Result<ManagerSettings> r) { saved = std::move(r); });
  auto savedManager = await(saved);
  ASSERT_TRUE(savedManager);
  settings.id = "m1";
  EXPECT_EQ(*savedManager, settings) << "every field survives the round trip";

  std::optional<Result<void>> refused;
  client.startProfile({"openvpn", "client\nup /bin/sh\n", "Corvane"}, [&](Result<void> r) { refused = std::move(r); });
  auto refusal = await(refused);
  ASSERT_FALSE(refusal);
  EXPECT_NE(refusal.error().description.find("invalidConfig"), std::string::npos) << refusal.error().description;

  const auto requests = service->requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].profile->content, "client\nup /bin/sh\n") << "the content itself goes over, not a path";
}

TEST_F(TunneldClient, EventsKeepTheStateAndALostServiceMakesItInvalid) {
  service->status.status = tunneld::kStatusDisconnected;
  std::vector<VpnStatus> seen;
  std::vector<TrafficSample> traffic;
  client.observe([&](const TunnelState& s) { seen.push_back(s.status); },
                 [&](const TrafficSample& t) { traffic.push_back(t); });
  client.subscribe();
  loop.runUntil([&] { return !seen.empty(); }, std::chrono::seconds(5));
  ASSERT_EQ(seen, std::vector{VpnStatus::disconnected}) << "the state as it is, before any change";

  tunneld::TunnelStatus up;
  up.status = tunneld::kStatusConnected;
  up.engine = "shadowsocks";
  up.startedBy = "profile";
  up.proxy = tunneld::TunnelStatus::Proxy{"127.0.0.1", 1080};
  loop.runUntil([&] { return service->requests().size() >= 2; }, std::chrono::seconds(5));
  service->push(tunneld::Event{up, std::nullopt});
  service->push(tunneld::Event{std::nullopt, tunneld::Traffic{10, 20, 300, 400}});
  loop.runUntil([&] { return !traffic.empty(); }, std::chrono::seconds(5));
  EXPECT_EQ(client.state().status, VpnStatus::connected);
  ASSERT_TRUE(client.state().proxy);
  EXPECT_EQ(client.state().proxy->port, 1080);
  EXPECT_EQ(traffic.back(), (TrafficSample{10, 20, 300, 400}));

  std::optional<Result<void>> stopped;
  service->close();
  loop.runUntil([&] { return client.state().status == VpnStatus::invalid; }, std::chrono::seconds(5));
  EXPECT_EQ(client.state().status, VpnStatus::invalid);
  client.stop([&](Result<void> r) { stopped = std::move(r); });
  EXPECT_FALSE(await(stopped)) << "no service: the request fails, it does not hang";

  // The subscription comes back by itself once the service does (after 1 s, virtual time).
  service.emplace(path);
  service->status.status = tunneld::kStatusDisconnected;
  loop.advance(seconds(1.0));
  loop.runUntil([&] { return client.state().status == VpnStatus::disconnected; }, std::chrono::seconds(5));
  EXPECT_EQ(client.state().status, VpnStatus::disconnected);
}

}  // namespace
}  // namespace corvane::platform
