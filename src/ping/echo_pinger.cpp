#include "ping/echo_pinger.h"

#include "ping/echo_request.h"
#include "ping/host_resolution.h"

namespace corvane::ping {

EchoPinger::EchoPinger(Destination destination, PingConfiguration configuration,
                       platform::Queue& currentQueue, const EchoPingerServices& services)
    : destination_(std::move(destination)),
      configuration_(configuration),
      fingerprint_(makeFingerprint()),
      ipAddress_(destination_.dottedAddress()),
      loop_(services.mainLoop),
      sockets_(services.sockets),
      log_(services.log),
      reports_(ReportChannel::over(currentQueue)),
      serial_(services.makeSerialQueue()),
      identifier_(drawIdentifier()) {}

EchoPinger::~EchoPinger() {
  // No timer can be armed here: an armed timer holds the pinger. Only the socket is left, and
  // it is always handed to the loop by a post: this destructor may run inside the loop's own
  // bookkeeping (a cancelled timer's task released there), where a direct unwatch would take
  // the loop's lock a second time.
  std::shared_ptr<platform::IcmpSocket> socket = std::move(socket_);
  releaseSocketLater(loop_, socketWatch_, std::move(socket), /*alwaysPost=*/true);
}

PingOutcome<std::shared_ptr<EchoPinger>> EchoPinger::create(Destination destination,
                                                           PingConfiguration configuration,
                                                           platform::Queue& currentQueue,
                                                           const EchoPingerServices& services) {
  std::shared_ptr<EchoPinger> pinger(
      new EchoPinger(std::move(destination), configuration, currentQueue, services));
  if (auto error = pinger->createSocket()) {
    return *error;
  }
  if (configuration.handleBackgroundTransitions && services.lifecycle != nullptr) {
    // Weak: a notification registration must not keep a finished pinger alive.
    std::weak_ptr<EchoPinger> weak = pinger;
    pinger->backgroundObservation_ = services.lifecycle->observeDidEnterBackground([weak] {
      if (auto self = weak.lock()) self->didEnterBackground();
    });
    pinger->activeObservation_ = services.lifecycle->observeDidBecomeActive([weak] {
      if (auto self = weak.lock()) self->didEnterForeground();
    });
  }
  return pinger;
}

PingOutcome<std::shared_ptr<EchoPinger>> EchoPinger::createWithHost(
    const std::string& host, platform::HostResolver& resolver, PingConfiguration configuration,
    platform::Queue& currentQueue, const EchoPingerServices& services) {
  auto address = resolveHost(resolver, host);
  if (!address) {
    return address.error();
  }
  return create(Destination{host, *address}, configuration, currentQueue, services);
}

PingOutcome<std::shared_ptr<EchoPinger>> EchoPinger::createWithAddress(
    const std::string& address, PingConfiguration configuration, platform::Queue& currentQueue,
    const EchoPingerServices& services) {
  // A text that is not a dotted quad must not turn into some address (inet_addr's answer
  // for garbage is the broadcast address); it names no host we could reach.
  const auto bytes = Destination::parseDottedAddress(address);
  if (!bytes) {
    return PingError(PingError::Case::hostNotFound);
  }
  return create(Destination{address, *bytes}, configuration, currentQueue, services);
}

void EchoPinger::setObserver(Observer observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

void EchoPinger::setFinished(Finished finished) {
  std::lock_guard lock(mutex_);
  finished_ = std::move(finished);
}

void EchoPinger::setDelegate(std::weak_ptr<PingDelegate> delegate) {
  std::lock_guard lock(mutex_);
  delegate_ = std::move(delegate);
}

void EchoPinger::setTargetCount(std::optional<int> targetCount) {
  std::lock_guard lock(mutex_);
  targetCount_ = targetCount;
}

std::optional<PingError> EchoPinger::startPinging() {
  if (auto error = createSocket()) {
    return error;
  }
  {
    std::lock_guard lock(mutex_);
    killswitch_ = false;
  }
  sendStep();
  return std::nullopt;
}

void EchoPinger::stopPinging(bool resetSequence) {
  std::uint64_t transmitted = 0;
  std::optional<platform::TimerId> nextSend;
  {
    std::lock_guard lock(mutex_);
    nextSend = std::exchange(nextSendTimer_, std::nullopt);
    killswitch_ = true;
    isPinging_ = false;
    transmitted = trueSequenceIndex_;  // read before a reset, so the result counts the echoes
    if (resetSequence) {
      sequenceIndex_ = 0;
      trueSequenceIndex_ = 0;
      erroredIndices_.clear();
    }
  }
  if (nextSend) {
    loop_.cancel(*nextSend);
  }
  finish(transmitted);
}

void EchoPinger::haltPinging(bool resetSequence) {
  stopPinging(resetSequence);
  teardown();
}

void EchoPinger::close() {
  {
    std::lock_guard lock(mutex_);
    observer_ = nullptr;
    finished_ = nullptr;
    delegate_.reset();
  }
  haltPinging();
  backgroundObservation_.reset();
  activeObservation_.reset();
}

void EchoPinger::didEnterBackground() {
  {
    std::lock_guard lock(mutex_);
    // Only a pinger that was running resumes later: one its owner stopped stays stopped.
    if (killswitch_) {
      return;
    }
    autoHalted_ = true;
  }
  stopPinging(false);
  teardown();
}

void EchoPinger::didEnterForeground() {
  {
    std::lock_guard lock(mutex_);
    if (!autoHalted_) {
      return;
    }
    autoHalted_ = false;
  }
  // The sequence continues where it stopped. A socket that cannot be reopened now leaves the
  // pinger halted; there is nobody to tell.
  if (auto error = startPinging()) {
    log_.warning(std::string("Echo pinger could not resume: ") + error->description());
  }
}

// ---- the echo cycle -------------------------------------------------------------------------

void EchoPinger::sendStep() {
  auto self = shared_from_this();
  std::optional<platform::TimerId> stale;
  std::uint64_t echo = 0;
  std::uint16_t sequence = 0;
  {
    std::lock_guard lock(mutex_);
    nextSendTimer_.reset();  // this is it, or it is moot
    if (isPinging_ || killswitch_) {
      return;
    }
    isPinging_ = true;
    echoOpen_ = true;
    echo = ++echo_;
    sequence = sequenceIndex_;
    sequenceStart_ = loop_.now();
    // A timer left from an echo abandoned by a stop must not fire into this one.
    stale = std::exchange(timeoutTimer_, std::nullopt);
    timeoutTimer_ = loop_.postAfter(platform::seconds(configuration_.timeoutInterval),
                                    [self, echo] { self->timeoutFired(echo); });
  }
  if (stale) {
    loop_.cancel(*stale);
  }
  // On the loop thread the request goes out at once: the socket never blocks, and a hop to
  // another thread per echo costs more CPU than the rest of the echo. A send that must wait
  // for room in the socket buffer, or a start from another thread, goes through the pinger's
  // serial queue, which keeps its sends in order.
  if (loop_.isLoopThread()) {
    sendRequest(echo, sequence, false);
  } else {
    serial_->async([self, echo, sequence] { self->sendRequest(echo, sequence, true); });
  }
}

void EchoPinger::sendRequest(std::uint64_t echo, std::uint16_t sequence, bool mayWait) {
  auto built =
      buildEchoRequest(identifier(), sequence, fingerprint_, configuration_.payloadSize);
  if (auto* error = std::get_if<PingError>(&built)) {
    sendFailed(echo, *error);
    return;
  }
  std::shared_ptr<platform::IcmpSocket> socket;
  {
    std::lock_guard lock(mutex_);
    socket = socket_;
    if (echo == echo_ && echoOpen_) {
      // The round trip starts when the request leaves, not when it was queued.
      sequenceStart_ = loop_.now();
    }
  }
  if (!socket) {
    return;  // halted meanwhile: nothing to send on
  }
  const auto outcome = socket->send(
      std::get<std::vector<std::uint8_t>>(built), destination_.ipv4Address,
      mayWait ? platform::seconds(configuration_.timeoutInterval) : platform::Duration::zero());
  if (outcome == platform::IcmpSendOutcome::timedOut && !mayWait) {
    auto self = shared_from_this();
    serial_->async([self, echo, sequence] { self->sendRequest(echo, sequence, true); });
    return;
  }
  if (outcome == platform::IcmpSendOutcome::success) {
    return;  // the reply or the time-out ends this echo
  }
  sendFailed(echo, PingError(outcome == platform::IcmpSendOutcome::timedOut
                                 ? PingError::Case::requestTimeout
                                 : PingError::Case::requestError));
}

void EchoPinger::sendFailed(std::uint64_t echo, PingError error) {
  // A failed echo counts like a timed-out one, so a target count is still reached.
  endEcho(echo, loop_.now(), [&](PingResponse& response) {
    response.error = error;
    erroredIndices_.push_back(sequenceIndex_);
    return true;
  });
}

void EchoPinger::timeoutFired(std::uint64_t echo) {
  endEcho(echo, loop_.now(), [&](PingResponse& response) {
    response.error = PingError(PingError::Case::responseTimeout);
    erroredIndices_.push_back(sequenceIndex_);
    return true;
  });
}

void EchoPinger::endEcho(std::optional<std::uint64_t> echo, platform::TimePoint eventTime,
                         const std::function<bool(PingResponse&)>& fill) {
  PingResponse response;
  std::optional<platform::TimerId> timer;
  {
    std::lock_guard lock(mutex_);
    // Named echoes end only if still current; the reply path ends the one in flight, and a
    // stopped pinger ignores data.
    if (!echoOpen_ || (echo ? *echo != echo_ : killswitch_)) {
      return;
    }
    response = makeResponseLocked(eventTime);
    if (!fill(response)) {
      return;
    }
    echoOpen_ = false;
    // Its time-out must not report the echo a second time.
    timer = std::exchange(timeoutTimer_, std::nullopt);
    isPinging_ = false;
  }
  if (timer) {
    loop_.cancel(*timer);
  }
  report(response);
  advance();
  schedule();
}

void EchoPinger::report(const PingResponse& response) {
  Observer observer;
  std::weak_ptr<PingDelegate> delegate;
  {
    std::lock_guard lock(mutex_);
    responses_.push_back(response);
    if (killswitch_) {
      return;  // recorded, but a stopped pinger tells nobody
    }
    observer = observer_;
    delegate = delegate_;
  }
  reports_->deliver([observer, delegate, response] {
    if (observer) {
      observer(response);
    }
    if (auto target = delegate.lock()) {
      target->didReceive(response);
    }
  });
}

void EchoPinger::advance() {
  std::lock_guard lock(mutex_);
  // Both wrap: the 16-bit index after 65535, the running count after its maximum.
  ++sequenceIndex_;
  ++trueSequenceIndex_;
}

void EchoPinger::schedule() {
  bool reached = false;
  std::uint64_t transmitted = 0;
  {
    std::lock_guard lock(mutex_);
    reached = targetCount_ && *targetCount_ <= sequenceIndex_;
    transmitted = trueSequenceIndex_;
  }
  if (reached) {
    if (configuration_.haltAfterTarget) {
      haltPinging(true);
    } else {
      finish(transmitted);
    }
    return;  // no further echoes; without the halt the socket stays open
  }
  {
    std::lock_guard lock(mutex_);
    if (killswitch_) {
      return;
    }
  }
  // The pause before the next echo is a main-loop timer like the time-out, so the send step
  // runs on the loop thread and sends without a thread hop. A stop or halt cancels it, so a
  // halted pinger is held by nothing of its own.
  auto self = shared_from_this();
  const platform::TimerId timer = loop_.postAfter(
      platform::seconds(configuration_.pingInterval), [self] { self->sendStep(); });
  std::lock_guard lock(mutex_);
  nextSendTimer_ = timer;
}

void EchoPinger::finish(std::uint64_t packetsTransmitted) {
  Finished finished;
  std::vector<PingResponse> responses;
  {
    std::lock_guard lock(mutex_);
    if (!finished_) {
      return;
    }
    finished = finished_;
    responses = responses_;
  }
  // Through the same channel as the reports, so the result arrives after the last of them.
  auto result = PingResult::make(std::move(responses), packetsTransmitted);
  reports_->deliver([finished, result = std::move(result)] { finished(result); });
}

PingResponse EchoPinger::makeResponseLocked(platform::TimePoint eventTime) const {
  PingResponse response;
  response.identifier = identifier_;
  response.ipAddress = ipAddress_;
  response.sequenceNumber = sequenceIndex_;
  response.trueSequenceNumber = trueSequenceIndex_;
  const auto elapsed = std::max(eventTime - sequenceStart_, platform::Duration::zero());
  response.duration = std::chrono::duration<double>(elapsed).count();
  return response;
}

// ---- observation ----------------------------------------------------------------------------

std::uint16_t EchoPinger::identifier() const {
  std::lock_guard lock(mutex_);
  return identifier_;
}

std::vector<PingResponse> EchoPinger::responses() const {
  std::lock_guard lock(mutex_);
  return responses_;
}

std::vector<int> EchoPinger::erroredIndices() const {
  std::lock_guard lock(mutex_);
  return erroredIndices_;
}

std::uint16_t EchoPinger::sequenceIndex() const {
  std::lock_guard lock(mutex_);
  return sequenceIndex_;
}

std::uint64_t EchoPinger::trueSequenceIndex() const {
  std::lock_guard lock(mutex_);
  return trueSequenceIndex_;
}

bool EchoPinger::isPinging() const {
  std::lock_guard lock(mutex_);
  return isPinging_;
}

bool EchoPinger::hasSocket() const {
  std::lock_guard lock(mutex_);
  return socket_ != nullptr;
}

}  // namespace corvane::ping
