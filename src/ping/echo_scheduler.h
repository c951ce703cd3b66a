#pragma once
// One-echo measurements for many hosts at once, as a list of servers asks for them: at most
// one echo in flight per host (later askers for the same host share its answer), and at most
// `maxSockets` pingers (each with its own ICMP socket) at a time; the other hosts wait their
// turn, in the order they were asked for. Host names are resolved on the callback queue, so
// a slow lookup never blocks the main loop.
//
// Threads: ask() and the destructor on the main loop only; answers arrive there too.
// Lifetime: destroying the scheduler halts its pingers and drops every question still open,
// unanswered; no pinger it started reaches its services (the lifecycle source above all)
// afterwards.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ping/destination.h"
#include "ping/echo_pinger_services.h"
#include "ping/ping_configuration.h"
#include "ping/ping_response.h"
#include "platform/host/host_resolver.h"

namespace corvane::ping {

class EchoPinger;

class EchoScheduler {
 public:
  // Enough for a screenful of rows many times over, far below the descriptor limit.
  static constexpr std::size_t kDefaultMaxSockets = 32;

  using Answer = std::function<void(const PingResponse&)>;

  EchoScheduler(EchoPingerServices services, platform::HostResolver& resolver,
                platform::Queue& callbackQueue, std::size_t maxSockets = kDefaultMaxSockets);
  ~EchoScheduler();
  EchoScheduler(const EchoScheduler&) = delete;
  EchoScheduler& operator=(const EchoScheduler&) = delete;

  // One echo to `host` (a name or a dotted quad) with `configuration` (its target count is
  // set to 1); `answer` gets the response, on the main loop. A host that cannot be resolved,
  // or no ICMP socket, ends the question silently (no answer).
  void ask(const std::string& host, const PingConfiguration& configuration, Answer answer);

  // Hosts being resolved or pinged, and hosts waiting for a turn.
  std::size_t active() const { return active_; }
  std::size_t waiting() const { return queue_.size(); }

 private:
  struct Question {
    PingConfiguration configuration;
    std::vector<Answer> answers;
    std::shared_ptr<EchoPinger> pinger;
    bool started = false;
  };
  struct Lookups;

  void pump();
  void launch(const std::string& host);
  void resolved(const std::string& host, std::optional<SocketAddressBytes> address);
  void answered(const std::string& host, const PingResponse& response);
  void drop(const std::string& host);

  EchoPingerServices services_;
  platform::HostResolver& resolver_;
  platform::Queue& callbackQueue_;
  const std::size_t maxSockets_;
  std::map<std::string, Question> questions_;
  std::deque<std::string> queue_;
  std::size_t active_ = 0;
  bool pumping_ = false;
  // Checked by every task this scheduler posts: the loop may run them after it is gone.
  std::shared_ptr<EchoScheduler*> self_;
  std::shared_ptr<Lookups> lookups_;
};

}  // namespace corvane::ping
