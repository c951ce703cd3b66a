// Statistics of PingResult, PingError values, address records and host resolution.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <cmath>
#include <cstring>

#include "ping/destination.h"
#include "ping/host_resolution.h"
#include "ping/ping_result.h"

namespace corvane::ping {
namespace {

PingResponse response(double duration, std::optional<PingError> error = std::nullopt) {
  PingResponse r;
  r.duration = duration;
  r.error = error;
  return r;
}

TEST(PingResultStatistics, PopulationFormOverSuccessfulEchoesOnly) {
  const PingError timeout(PingError::Case::responseTimeout);
  const auto result = PingResult::make(
      {response(0.010), response(5.0, timeout), response(0.020), response(0.030)}, 4);
  EXPECT_EQ(result.packetsTransmitted, 4u);
  EXPECT_EQ(result.packetsReceived, 3u);
  EXPECT_EQ(result.responses.size(), 4u);
  ASSERT_TRUE(result.roundtrip);
  EXPECT_DOUBLE_EQ(result.roundtrip->minimum, 0.010);
  EXPECT_DOUBLE_EQ(result.roundtrip->maximum, 0.030);
  EXPECT_DOUBLE_EQ(result.roundtrip->average, 0.020);
  EXPECT_NEAR(result.roundtrip->standardDeviation, std::sqrt(0.0002 / 3), 1e-12);
  EXPECT_NEAR(result.roundtrip->standardDeviation, 0.00816, 1e-5);
}

TEST(PingResultStatistics, SingleAndNoSuccess) {
  const auto one = PingResult::make({response(0.042)}, 1);
  ASSERT_TRUE(one.roundtrip);
  EXPECT_EQ(one.roundtrip->standardDeviation, 0);
  EXPECT_EQ(one.roundtrip->minimum, one.roundtrip->maximum);
  EXPECT_EQ(one.roundtrip->average, 0.042);

  const PingError timeout(PingError::Case::responseTimeout);
  const auto none = PingResult::make(
      {response(5, timeout), response(5, timeout), response(5, timeout)}, 3);
  EXPECT_EQ(none.packetsReceived, 0u);
  EXPECT_FALSE(none.roundtrip);
  EXPECT_EQ(none.responses.size(), 3u);
}

TEST(PingErrorValues, EqualityAndDescriptions) {
  EXPECT_EQ(PingError::checksumMismatch(1, 2), PingError::checksumMismatch(1, 2));
  EXPECT_NE(PingError::checksumMismatch(1, 2), PingError::checksumMismatch(2, 1));
  EXPECT_NE(PingError::invalidType(3), PingError::invalidCode(3));
  EXPECT_NE(PingError(PingError::Case::requestError), PingError(PingError::Case::requestTimeout));

  const struct {
    PingError error;
    const char* text;
  } table[] = {
      {PingError::invalidLength(43), "invalidLength(received: 43)"},
      {PingError::checksumMismatch(1, 2), "checksumMismatch(received: 1, calculated: 2)"},
      {PingError::invalidSequenceIndex(7, 8), "invalidSequenceIndex(received: 7, expected: 8)"},
      {PingError::socketOptionsSetError(-1), "socketOptionsSetError(err: -1)"},
      {PingError(PingError::Case::invalidHeaderOffset), "invalidHeaderOffset"},
  };
  for (const auto& row : table) {
    EXPECT_EQ(row.error.description(), row.text);
    EXPECT_EQ(row.error.toError().domain, "PingError");
  }
}

TEST(DestinationAddress, DottedTextRoundTripsThroughTheRecord) {
  const auto bytes = Destination::parseDottedAddress("10.0.0.1");
  ASSERT_TRUE(bytes);
  sockaddr_in address{};
  std::memcpy(&address, bytes->data(), sizeof address);
  EXPECT_EQ(address.sin_family, AF_INET);
  EXPECT_EQ(address.sin_port, 0);
  EXPECT_EQ(address.sin_addr.s_addr, htonl(0x0A000001));
  EXPECT_EQ((Destination{"x", *bytes}.dottedAddress()), "10.0.0.1");

  for (const char* text : {"", "10.0.0", "10.0.0.256", "host.example", "10.0.0.1:8443"}) {
    EXPECT_FALSE(Destination::parseDottedAddress(text)) << text;
  }
  EXPECT_FALSE(Destination{}.dottedAddress());  // family 0 is not an IPv4 record
}

using platform::HostResolver;

// Stands in for the system resolver to reach every answer shape; the real one is used below.
class ScriptedResolver : public platform::HostResolver {
 public:
  explicit ScriptedResolver(Result<std::vector<AddressRecord>> answer)
      : answer_(std::move(answer)) {}
  Result<std::vector<AddressRecord>> resolve(const std::string&) override { return answer_; }

 private:
  Result<std::vector<AddressRecord>> answer_;
};

HostResolver::AddressRecord ipv4Record(std::uint32_t address) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = htonl(address);
  const auto* p = reinterpret_cast<const std::uint8_t*>(&in);
  return {p, p + sizeof in};
}

HostResolver::AddressRecord ipv6Record() {
  sockaddr_in6 in6{};
  in6.sin6_family = AF_INET6;
  const auto* p = reinterpret_cast<const std::uint8_t*>(&in6);
  return {p, p + sizeof in6};
}

TEST(HostResolution, FailuresMapOntoTheirErrors) {
  const struct {
    const char* name;
    Result<std::vector<HostResolver::AddressRecord>> answer;
    PingError::Case expected;
  } table[] = {
      {"name lookup failed", Error(HostResolver::kNetDbDomain, -2), PingError::Case::addressLookupError},
      {"system failure", Error(HostResolver::kPosixDomain, 5), PingError::Case::unknownHostError},
      {"no addresses", std::vector<HostResolver::AddressRecord>{}, PingError::Case::hostNotFound},
      {"IPv6 only", std::vector<HostResolver::AddressRecord>{ipv6Record()},
       PingError::Case::hostNotFound},
      {"short record", std::vector<HostResolver::AddressRecord>{{0, 2, 0}},
       PingError::Case::hostNotFound},
  };
  for (const auto& row : table) {
    ScriptedResolver resolver(row.answer);
    auto outcome = resolveHost(resolver, "host");
    ASSERT_FALSE(outcome) << row.name;
    EXPECT_EQ(outcome.error().kind(), row.expected) << row.name;
  }
}

TEST(HostResolution, FirstIpv4RecordWins) {
  ScriptedResolver resolver(std::vector<HostResolver::AddressRecord>{
      ipv6Record(), ipv4Record(0x0A000002), ipv4Record(0x0A000003)});
  auto outcome = resolveHost(resolver, "host");
  ASSERT_TRUE(outcome);
  EXPECT_EQ((Destination{"host", *outcome}.dottedAddress()), "10.0.0.2");
}

TEST(HostResolution, SystemResolverAnswersFromTheHostsFile) {
  auto resolver = platform::makeSystemHostResolver();
  for (const char* host : {"localhost", "127.0.0.9"}) {
    auto outcome = resolveHost(*resolver, host);
    ASSERT_TRUE(outcome) << host;
    const auto text = Destination{host, *outcome}.dottedAddress();
    EXPECT_EQ(text, std::string(host) == "localhost" ? "127.0.0.1" : host);
  }
  // An embedded NUL is refused below the name lookup rather than resolving a cut name.
  auto outcome = resolveHost(*resolver, std::string("localhost\0.evil", 15));
  ASSERT_FALSE(outcome);
  EXPECT_EQ(outcome.error().kind(), PingError::Case::unknownHostError);
}

}  // namespace
}  // namespace corvane::ping
