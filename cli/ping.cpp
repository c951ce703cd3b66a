// corvanectl ping HOST: ICMP echoes to one host through the app's own echo engine, printed
// like the system ping. Ctrl-C stops and prints the summary.
#include <signal.h>

#include <asio/signal_set.hpp>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

#include "command.h"
#include "ping/echo_pinger.h"
#include "ping/host_resolution.h"
#include "platform/host/host_resolver.h"
#include "platform/icmp/linux/linux_icmp_socket_factory.h"
#include "platform/mainloop/asio/asio_main_loop.h"
#include "platform/mainloop/asio/global_queue.h"
#include "platform/mainloop/asio/serial_queue.h"

namespace corvane::cli {
namespace {

struct PingOptions {
  std::string host;
  std::optional<int> count;
  double interval = 1.0;
  double timeout = 5.0;
  int payloadSize = 56;
  std::optional<int> ttl;
};

constexpr double kMaxSeconds = 3600;

std::string formatSeconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string usageProblem(const PingOptions& o) {
  if (o.count && *o.count < 1) return "-c must be at least 1, got " + std::to_string(*o.count);
  // Both become nanosecond durations: past about 292 years the count overflows, and 1e300
  // turned into a flood (-i) or an instant time-out (-W). An hour is far beyond any use.
  if (!(o.interval >= 0 && o.interval <= kMaxSeconds)) {
    return "-i must be from 0 to " + std::to_string(static_cast<int>(kMaxSeconds)) + " seconds, got " +
           formatSeconds(o.interval);
  }
  if (!(o.timeout > 0 && o.timeout <= kMaxSeconds)) {
    return "-W must be more than 0 and at most " + std::to_string(static_cast<int>(kMaxSeconds)) +
           " seconds, got " + formatSeconds(o.timeout);
  }
  // The checksum sums whole 16-bit words; an odd payload cannot be sent. 65507 is the
  // largest ICMP payload in one IPv4 datagram.
  if (o.payloadSize < 16 || o.payloadSize > 65506 || o.payloadSize % 2 != 0) {
    return "-s must be an even number of bytes from 16 to 65506, got " +
           std::to_string(o.payloadSize);
  }
  if (o.ttl && (*o.ttl < 1 || *o.ttl > 255)) {
    return "-t must be from 1 to 255, got " + std::to_string(*o.ttl);
  }
  return {};
}

std::string responseLine(const ping::PingResponse& r) {
  char line[256];
  const std::string address = r.ipAddress.value_or("?");
  if (r.error) {
    std::snprintf(line, sizeof line, "From %s icmp_seq=%u %s (after %.3f ms)", address.c_str(),
                  r.sequenceNumber, r.error->description().c_str(), r.duration * 1000);
  } else {
    std::snprintf(line, sizeof line, "%d bytes from %s: icmp_seq=%u ttl=%u time=%.3f ms",
                  r.byteCount.value_or(0), address.c_str(), r.sequenceNumber,
                  r.ipHeader ? r.ipHeader->timeToLive : 0, r.duration * 1000);
  }
  return line;
}

void printSummary(const std::string& host, const ping::PingResult& result) {
  const double loss =
      result.packetsTransmitted == 0
          ? 0
          : 100.0 * static_cast<double>(result.packetsTransmitted - std::min(result.packetsReceived, result.packetsTransmitted)) /
                static_cast<double>(result.packetsTransmitted);
  std::printf("\n--- %s ping statistics ---\n", host.c_str());
  std::printf("%llu packets transmitted, %llu received, %.0f%% packet loss\n",
              static_cast<unsigned long long>(result.packetsTransmitted),
              static_cast<unsigned long long>(result.packetsReceived), loss);
  if (result.roundtrip) {
    const auto& rt = *result.roundtrip;
    std::printf("rtt min/avg/max/stddev = %.3f/%.3f/%.3f/%.3f ms\n", rt.minimum * 1000,
                rt.average * 1000, rt.maximum * 1000, rt.standardDeviation * 1000);
  }
  std::fflush(stdout);
}

nlohmann::json toJson(const std::string& host, const std::string& address,
                      const ping::PingResult& result) {
  nlohmann::json responses = nlohmann::json::array();
  for (const auto& r : result.responses) {
    nlohmann::json item = {{"sequenceNumber", r.sequenceNumber},
                           {"trueSequenceNumber", r.trueSequenceNumber},
                           {"duration", r.duration},
                           {"error", r.error ? nlohmann::json(r.error->description()) : nullptr},
                           {"byteCount", r.byteCount ? nlohmann::json(*r.byteCount) : nullptr},
                           {"timeToLive", r.ipHeader ? nlohmann::json(r.ipHeader->timeToLive)
                                                     : nullptr}};
    responses.push_back(std::move(item));
  }
  nlohmann::json roundtrip = nullptr;
  if (result.roundtrip) {
    roundtrip = {{"minimum", result.roundtrip->minimum},
                 {"maximum", result.roundtrip->maximum},
                 {"average", result.roundtrip->average},
                 {"standardDeviation", result.roundtrip->standardDeviation}};
  }
  return {{"host", host},
          {"address", address},
          {"packetsTransmitted", result.packetsTransmitted},
          {"packetsReceived", result.packetsReceived},
          {"roundtrip", roundtrip},
          {"responses", responses}};
}

int runPing(const PingOptions& options, bool json) {
  if (const std::string problem = usageProblem(options); !problem.empty()) {
    std::cerr << "corvanectl ping: " << problem << "\n";
    return kExitUsage;
  }
  auto resolver = platform::makeSystemHostResolver();
  auto address = ping::resolveHost(*resolver, options.host);
  if (!address) {
    std::cerr << "corvanectl ping: cannot resolve `" << options.host
              << "': " << address.error().description() << "\n";
    return kExitUsage;
  }
  const ping::Destination destination{options.host, *address};
  const std::string dotted = destination.dottedAddress().value_or("?");

  platform::AsioMainLoop loop;
  platform::GlobalQueue pool(1);
  auto sockets = platform::makeSystemIcmpSocketFactory();
  ping::EchoPingerServices services{
      loop, *sockets, [&pool] { return std::make_unique<platform::SerialQueue>(pool); }, nullptr,
      platform::Log::standard("ping", platform::Log::Level::error)};

  ping::PingConfiguration configuration;
  configuration.pingInterval = options.interval;
  configuration.timeoutInterval = options.timeout;
  configuration.handleBackgroundTransitions = false;
  configuration.timeToLive = options.ttl;
  configuration.payloadSize = options.payloadSize;
  configuration.haltAfterTarget = true;
  auto created = ping::EchoPinger::create(destination, configuration, pool, services);
  if (!created) {
    std::cerr << "corvanectl ping: cannot ping " << dotted << ": "
              << created.error().description() << "\n";
    return kExitFailure;
  }
  std::shared_ptr<ping::EchoPinger> pinger = *created;

  std::optional<ping::PingResult> finalResult;
  if (!json) {
    std::printf("PING %s (%s) %d(%d) bytes of data.\n", options.host.c_str(), dotted.c_str(),
                options.payloadSize + 8, options.payloadSize + 28);
    std::fflush(stdout);
    pinger->setObserver([](const ping::PingResponse& r) {
      std::printf("%s\n", responseLine(r).c_str());
      std::fflush(stdout);
    });
  }
  pinger->setFinished([&](const ping::PingResult& result) {
    // Runs on the pool after every report; the loop thread reads the result once stopped.
    loop.post([&loop, &finalResult, result] {
      finalResult = result;
      loop.stop();
    });
  });
  if (options.count) {
    pinger->setTargetCount(*options.count);
  }

  asio::signal_set signals(loop.context(), SIGINT, SIGTERM);
  signals.async_wait([&pinger](const asio::error_code& ec, int) {
    if (!ec) pinger->haltPinging(false);
  });
  if (auto error = pinger->startPinging()) {
    std::cerr << "corvanectl ping: cannot start: " << error->description() << "\n";
    return kExitFailure;
  }
  loop.run();
  signals.cancel();
  pinger->haltPinging(false);
  pinger.reset();

  if (!finalResult) {
    return kExitFailure;
  }
  if (json) {
    std::cout << toJson(options.host, dotted, *finalResult).dump(2) << "\n";
  } else {
    printSummary(options.host, *finalResult);
  }
  return finalResult->packetsReceived > 0 ? kExitOk : kExitFailure;
}

}  // namespace

CORVANE_COMMAND("ping", "Send ICMP echo requests to a host and print the round-trip times",
                 [](CLI::App& sub, const GlobalOptions& global) {
                   auto options = std::make_shared<PingOptions>();
                   sub.add_option("host", options->host, "Host name or IPv4 address")->required();
                   sub.add_option("-c,--count", options->count, "Stop after this many echoes");
                   sub.add_option("-i,--interval", options->interval,
                                  "Seconds between the end of one echo and the next (1.0)");
                   sub.add_option("-W,--timeout", options->timeout,
                                  "Seconds to wait for each reply (5.0)");
                   sub.add_option("-s,--payload", options->payloadSize,
                                  "Payload bytes, even, 16 or more (56)");
                   sub.add_option("-t,--ttl", options->ttl, "IP time-to-live of the requests");
                   return [options, &global] { return runPing(*options, global.json); };
                });

}  // namespace corvane::cli
