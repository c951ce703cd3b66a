#pragma once
// Sends ICMP echo requests to one IPv4 destination, one at a time, matches the replies,
// detects time-outs and reports every echo to an observer and a delegate; optionally stops
// after a target number of echoes and reports a PingResult.
//
// Threads: the socket watch, the time-out timer and the pause between echoes run on the main
// loop, which also sends each request (the socket never blocks it); a send that has to wait
// for buffer room, or that starts on another thread, runs on the pinger's own serial queue.
// Every callback (observer, delegate, finished) runs on the caller's queue, in the order the
// events happened, and never blocks the loop. One mutex guards all mutable state (it stands
// where a property queue would: every read and write of the shared fields goes through it),
// so every operation may be called from any thread.
//
// Lifetime: the creator need not keep the pinger. An armed time-out timer and queued work
// hold it, so it lives while it pings and goes once it halts and nobody holds it.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ping/destination.h"
#include "ping/echo_pinger_services.h"
#include "ping/fingerprint.h"
#include "ping/ping_configuration.h"
#include "ping/ping_delegate.h"
#include "ping/ping_outcome.h"
#include "ping/ping_result.h"
#include "ping/report_channel.h"
#include "platform/host/host_resolver.h"
#include "platform/notifications/notification_center.h"

namespace corvane::ping {

// Stops watching `socket` on the loop, then closes it, on the loop thread.
void releaseSocketLater(platform::MainLoop& loop, std::optional<platform::WatchId> watch,
                        std::shared_ptr<platform::IcmpSocket> socket, bool alwaysPost = false);

class EchoPinger : public std::enable_shared_from_this<EchoPinger> {
 public:
  using Observer = std::function<void(const PingResponse&)>;
  using Finished = std::function<void(const PingResult&)>;

  // Opens the socket; fails with socketNil when no ICMP socket may be opened at all, and
  // with socketOptionsSetError when the kernel refuses the time-to-live. `currentQueue` must
  // outlive the pinger's reports.
  static PingOutcome<std::shared_ptr<EchoPinger>> create(Destination destination,
                                                        PingConfiguration configuration,
                                                        platform::Queue& currentQueue,
                                                        const EchoPingerServices& services);
  // Resolves `host` first; fails with the resolution errors too.
  static PingOutcome<std::shared_ptr<EchoPinger>> createWithHost(
      const std::string& host, platform::HostResolver& resolver, PingConfiguration configuration,
      platform::Queue& currentQueue, const EchoPingerServices& services);
  // From a dotted-quad text, without resolution; any other text fails with hostNotFound.
  static PingOutcome<std::shared_ptr<EchoPinger>> createWithAddress(
      const std::string& address, PingConfiguration configuration, platform::Queue& currentQueue,
      const EchoPingerServices& services);

  ~EchoPinger();
  EchoPinger(const EchoPinger&) = delete;
  EchoPinger& operator=(const EchoPinger&) = delete;

  // Set before starting.
  void setObserver(Observer observer);
  void setFinished(Finished finished);
  void setDelegate(std::weak_ptr<PingDelegate> delegate);
  void setTargetCount(std::optional<int> targetCount);

  // Starts (or resumes) pinging, reopening the socket after a halt. Fails like create().
  std::optional<PingError> startPinging();
  // No further sends and no further reports; `finished` gets the result so far. The socket
  // stays open. With `resetSequence`, numbering starts again from 0.
  void stopPinging(bool resetSequence = true);
  // Stops, then closes the socket and cancels the time-out.
  void haltPinging(bool resetSequence = true);
  // Halts for good: no more reports, and the background observations end now, so the pinger
  // no longer reaches the lifecycle source, whoever holds it afterwards. Loop thread only.
  void close();

  // The application moved to the background / became active again.
  void didEnterBackground();
  void didEnterForeground();

  const Destination& destination() const { return destination_; }
  const PingConfiguration& configuration() const { return configuration_; }
  const Fingerprint& fingerprint() const { return fingerprint_; }
  std::uint16_t identifier() const;
  std::vector<PingResponse> responses() const;
  std::vector<int> erroredIndices() const;
  std::uint16_t sequenceIndex() const;
  std::uint64_t trueSequenceIndex() const;
  bool isPinging() const;
  bool hasSocket() const;

 private:
  EchoPinger(Destination destination, PingConfiguration configuration,
             platform::Queue& currentQueue, const EchoPingerServices& services);

  // Socket (echo_pinger_socket.cpp).
  std::optional<PingError> createSocket();
  void socketReadable();
  void handleDatagram(const platform::IcmpDatagram& datagram);
  void teardown();

  // The echo cycle (echo_pinger.cpp).
  void sendStep();
  void sendRequest(std::uint64_t echo, std::uint16_t sequence, bool mayWait);
  void sendFailed(std::uint64_t echo, PingError error);
  void timeoutFired(std::uint64_t echo);
  // The one way an echo ends (reply, failed send, time-out), exactly once: under the lock it
  // checks the echo is still open (`echo`: that one; nothing: the one in flight, unless
  // stopped) and lets `fill` complete the response (false leaves the echo open); then the
  // time-out is cancelled, the response reported and the next echo scheduled.
  void endEcho(std::optional<std::uint64_t> echo, platform::TimePoint eventTime,
               const std::function<bool(PingResponse&)>& fill);
  void report(const PingResponse& response);
  void advance();
  void schedule();
  void finish(std::uint64_t packetsTransmitted);
  PingResponse makeResponseLocked(platform::TimePoint eventTime) const;

  const Destination destination_;
  const PingConfiguration configuration_;
  const Fingerprint fingerprint_;
  const std::optional<std::string> ipAddress_;
  platform::MainLoop& loop_;
  platform::IcmpSocketFactory& sockets_;
  platform::Log log_;
  std::shared_ptr<ReportChannel> reports_;
  std::unique_ptr<platform::Queue> serial_;
  platform::ObserverRegistration backgroundObservation_;
  platform::ObserverRegistration activeObservation_;

  // Serialises socket creation, which may come from the caller and from the foreground event.
  std::mutex creation_;

  mutable std::mutex mutex_;  // guards everything below
  Observer observer_;
  Finished finished_;
  std::weak_ptr<PingDelegate> delegate_;
  std::optional<int> targetCount_;
  std::vector<PingResponse> responses_;
  std::uint16_t identifier_;
  std::shared_ptr<platform::IcmpSocket> socket_;
  std::optional<platform::WatchId> socketWatch_;
  platform::TimePoint sequenceStart_{};
  std::uint16_t sequenceIndex_ = 0;
  std::uint64_t trueSequenceIndex_ = 0;
  std::vector<int> erroredIndices_;
  bool autoHalted_ = false;
  bool isPinging_ = false;
  std::optional<platform::TimerId> timeoutTimer_;
  // The pause before the next echo.
  std::optional<platform::TimerId> nextSendTimer_;
  bool killswitch_ = false;
  // The echo in flight: its number, and whether a reply, failure or time-out has ended it.
  // Each event names the echo it belongs to, so a stale timer or a late send failure can
  // never end (and report) a newer echo, and no echo is reported twice.
  std::uint64_t echo_ = 0;
  bool echoOpen_ = false;
};

}  // namespace corvane::ping
