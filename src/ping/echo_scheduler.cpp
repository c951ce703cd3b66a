#include "ping/echo_scheduler.h"

#include "ping/echo_pinger.h"
#include "ping/host_resolution.h"

namespace corvane::ping {

// Shared with the lookups running on the callback queue. The scheduler waits for a lookup
// that is running when it goes (the resolver must outlive the call); one not yet started
// sees `closed` and does nothing.
struct EchoScheduler::Lookups {
  std::mutex mutex;
  std::condition_variable idle;
  int running = 0;
  bool closed = false;
};

EchoScheduler::EchoScheduler(EchoPingerServices services, platform::HostResolver& resolver,
                             platform::Queue& callbackQueue, std::size_t maxSockets)
    : services_(std::move(services)),
      resolver_(resolver),
      callbackQueue_(callbackQueue),
      maxSockets_(maxSockets == 0 ? 1 : maxSockets),
      self_(std::make_shared<EchoScheduler*>(this)),
      lookups_(std::make_shared<Lookups>()) {}

EchoScheduler::~EchoScheduler() {
  {
    std::unique_lock lock(lookups_->mutex);
    lookups_->closed = true;
    lookups_->idle.wait(lock, [this] { return lookups_->running == 0; });
  }
  *self_ = nullptr;
  // Closing each pinger here, while everything it observes still exists, is the point: a
  // pinger left to the loop's timers would go with the loop, after its services.
  for (auto& [host, question] : questions_) {
    if (question.pinger) question.pinger->close();
  }
  questions_.clear();
}

void EchoScheduler::ask(const std::string& host, const PingConfiguration& configuration,
                        Answer answer) {
  auto [it, fresh] = questions_.try_emplace(host);
  it->second.answers.push_back(std::move(answer));
  if (!fresh) return;  // its echo is in flight or waiting: the answer is shared
  it->second.configuration = configuration;
  queue_.push_back(host);
  pump();
}

void EchoScheduler::pump() {
  // A launch that fails at once drops its question and pumps again: the outer loop goes on
  // instead, so thousands of failing hosts never nest that deep.
  if (pumping_) return;
  pumping_ = true;
  while (active_ < maxSockets_ && !queue_.empty()) {
    std::string host = std::move(queue_.front());
    queue_.pop_front();
    launch(host);
  }
  pumping_ = false;
}

void EchoScheduler::launch(const std::string& host) {
  ++active_;
  questions_[host].started = true;
  if (auto literal = Destination::parseDottedAddress(host)) {
    resolved(host, literal);
    return;
  }
  callbackQueue_.async([lookups = lookups_, &resolver = resolver_, &loop = services_.mainLoop,
                        self = self_, host] {
    {
      std::lock_guard lock(lookups->mutex);
      if (lookups->closed) return;
      ++lookups->running;
    }
    auto address = resolveHost(resolver, host);
    std::optional<SocketAddressBytes> found;
    if (address) found = *address;
    std::lock_guard lock(lookups->mutex);
    if (!lookups->closed) {
      loop.post([self, host, found] {
        if (*self != nullptr) (*self)->resolved(host, found);
      });
    }
    --lookups->running;
    lookups->idle.notify_all();
  });
}

void EchoScheduler::resolved(const std::string& host, std::optional<SocketAddressBytes> address) {
  auto it = questions_.find(host);
  if (it == questions_.end()) return;
  if (!address) {
    drop(host);
    return;
  }
  auto created = EchoPinger::create(Destination{host, *address}, it->second.configuration,
                                    callbackQueue_, services_);
  if (!created) {
    drop(host);
    return;
  }
  std::shared_ptr<EchoPinger> pinger = std::move(*created);
  pinger->setTargetCount(1);
  pinger->setObserver([self = self_, &loop = services_.mainLoop, host](const PingResponse& response) {
    loop.post([self, host, response] {
      if (*self != nullptr) (*self)->answered(host, response);
    });
  });
  it->second.pinger = pinger;
  if (pinger->startPinging()) drop(host);
}

void EchoScheduler::answered(const std::string& host, const PingResponse& response) {
  auto it = questions_.find(host);
  if (it == questions_.end()) return;
  std::vector<Answer> answers = std::move(it->second.answers);
  drop(host);
  for (const Answer& answer : answers) answer(response);
}

void EchoScheduler::drop(const std::string& host) {
  auto it = questions_.find(host);
  if (it == questions_.end()) return;
  if (it->second.started) --active_;
  if (it->second.pinger) it->second.pinger->close();
  questions_.erase(it);
  pump();
}

}  // namespace corvane::ping
