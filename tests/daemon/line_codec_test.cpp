// The socket's one line reader: every malformed line becomes an error answer that names the
// field, and what is written reads back the same.
#include <gtest/gtest.h>

#include <string>

#include "platform/vpn/tunneld/line_codec.h"

namespace corvane::platform::tunneld {
namespace {

struct BadLine {
  std::string line;
  ErrorCode code;
  std::optional<std::int64_t> id;
  std::string messagePart;
};

class RequestParserRefuses : public ::testing::TestWithParam<BadLine> {};

TEST_P(RequestParserRefuses, WithTheIdAndAQuote) {
  LineCodec codec;
  auto parsed = codec.parseRequest(GetParam().line);
  ASSERT_FALSE(parsed);
  EXPECT_EQ(parsed.error().code, GetParam().code);
  EXPECT_EQ(parsed.id(), GetParam().id);
  EXPECT_NE(parsed.error().message.find(GetParam().messagePart), std::string::npos) << parsed.error().message;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RequestParserRefuses,
    ::testing::Values(
        BadLine{"", ErrorCode::badRequest, std::nullopt, "not JSON"},
        BadLine{"{\"id\":1,\"op\":", ErrorCode::badRequest, std::nullopt, "{\"id\":1,\"op\":"},
        BadLine{"[1,2]", ErrorCode::badRequest, std::nullopt, "must be a JSON object, got [1,2]"},
        BadLine{"{\"op\":\"status\"}", ErrorCode::badRequest, std::nullopt, "\"id\" is missing"},
        BadLine{"{\"id\":\"7\",\"op\":\"status\"}", ErrorCode::badRequest, std::nullopt, "\"id\" must be an integer, got \"7\""},
        BadLine{"{\"id\":1.5,\"op\":\"status\"}", ErrorCode::badRequest, std::nullopt, "got 1.5"},
        BadLine{"{\"id\":3}", ErrorCode::badRequest, 3, "\"op\" is missing"},
        BadLine{"{\"id\":3,\"op\":\"reboot\"}", ErrorCode::unknownOp, 3, "\"reboot\""},
        BadLine{"{\"id\":4,\"op\":\"hello\"}", ErrorCode::badRequest, 4, "\"version\" is missing"},
        BadLine{"{\"id\":5,\"op\":\"start\"}", ErrorCode::badRequest, 5, "exactly one of"},
        BadLine{"{\"id\":5,\"op\":\"start\",\"managerId\":\"a\",\"profile\":{\"engine\":\"wireguard\",\"content\":\"\"}}",
                ErrorCode::badRequest, 5, "exactly one of"},
        BadLine{"{\"id\":6,\"op\":\"start\",\"profile\":{\"engine\":\"wireguard\"}}", ErrorCode::badRequest, 6,
                "\"profile.content\" is missing"},
        BadLine{"{\"id\":6,\"op\":\"start\",\"profile\":\"/etc/shadow\"}", ErrorCode::badRequest, 6,
                "\"profile\" must be an object, got \"/etc/shadow\""},
        BadLine{"{\"id\":7,\"op\":\"managers.save\",\"manager\":{\"onDemandEnabled\":\"yes\"}}", ErrorCode::badRequest, 7,
                "\"manager.onDemandEnabled\" must be true or false, got \"yes\""},
        BadLine{"{\"id\":7,\"op\":\"managers.save\",\"manager\":{\"providerConfiguration\":{\"ovpn\":1}}}",
                ErrorCode::badRequest, 7, "\"manager.providerConfiguration.ovpn\" must be a string"},
        BadLine{"{\"id\":7,\"op\":\"managers.save\",\"manager\":{\"onDemandRules\":[{\"probeURL\":5}]}}",
                ErrorCode::badRequest, 7, "\"manager.onDemandRules[0].probeURL\" must be a string, got 5"},
        BadLine{"{\"id\":8,\"op\":\"managers.remove\"}", ErrorCode::badRequest, 8, "\"managerId\" is missing"},
        BadLine{"{\"id\":9,\"op\":\"status\"}\xff", ErrorCode::badRequest, std::nullopt, "not JSON"},
        BadLine{std::string(kMaxLineBytes + 1, ' '), ErrorCode::tooLarge, std::nullopt, "over the limit"}));

TEST(LineCodec, RequestsReadBackAsWritten) {
  Manager manager;
  manager.serverAddress = "10.0.0.1";
  manager.providerConfiguration["ovpn"] = "client\nremote 10.0.0.1\n";
  manager.onDemandEnabled = true;
  OnDemandRule probed;
  probed.probeURL = "http://127.0.0.1/hotspot";
  manager.onDemandRules = {OnDemandRule{}, probed};
  std::vector<Request> requests(5);
  requests[0].id = 1, requests[0].op = Op::hello, requests[0].version = 1;
  requests[1].id = 2, requests[1].op = Op::managersSave, requests[1].manager = manager;
  requests[2].id = 3, requests[2].op = Op::start, requests[2].managerId = "m-1";
  requests[3].id = 4, requests[3].op = Op::start;
  requests[3].profile = Profile{"wireguard", "[Interface]\nPrivateKey = x\n", "é ✓"};
  requests[4].id = -5, requests[4].op = Op::subscribe;
  LineCodec codec;
  for (const auto& request : requests) {
    std::string line = LineCodec::write(request);
    ASSERT_EQ(line.back(), '\n');
    ASSERT_EQ(line.find('\n'), line.size() - 1) << "one line only: " << line;
    auto parsed = codec.parseRequest(line);
    ASSERT_TRUE(parsed) << parsed.error().message;
    EXPECT_EQ(*parsed, request) << line;
  }
}

TEST(LineCodec, AnswersAndEventsReadBackAsWritten) {
  TunnelStatus status;
  status.status = kStatusConnected;
  status.engine = "wireguard";
  status.startedBy = "profile";
  status.ownerUid = 1000;
  status.interfaceName = "corvane0";
  status.rxBytes = 1ull << 40;
  status.proxy = TunnelStatus::Proxy{"127.0.0.1", 1080};
  status.killSwitch = true;
  status.lastError = ErrorInfo{ErrorCode::engineFailed, "wireguard-go exited with status 1", true};
  Answer withStatus = Answer::success(9);
  withStatus.status = status;
  Answer hello = Answer::success(1);
  hello.version = 1;
  hello.daemonVersion = "0.1.0";
  Answer list = Answer::success(2);
  Manager a, b;
  a.id = "a";
  b.id = "b";
  b.onDemandEnabled = true;
  list.managers = std::vector<Manager>{a, b};
  const ServerLine lines[] = {
      {hello, std::nullopt},
      {list, std::nullopt},
      {withStatus, std::nullopt},
      {Answer::failure(std::nullopt, {ErrorCode::forbidden, "uid 1234 is not in group corvane", false}), std::nullopt},
      {std::nullopt, Event{status, std::nullopt}},
      {std::nullopt, Event{std::nullopt, Traffic{10, 20, 30, 40}}},
  };
  LineCodec codec;
  for (const auto& expected : lines) {
    std::string line = expected.answer ? LineCodec::write(*expected.answer) : LineCodec::write(*expected.event);
    auto parsed = codec.parseServerLine(line);
    ASSERT_TRUE(parsed) << parsed.error().message;
    EXPECT_EQ(*parsed, expected) << line;
  }
}

TEST(LineCodec, UnknownFieldsAreIgnoredSoAdditionsStayCompatible) {
  LineCodec codec;
  auto parsed = codec.parseRequest(R"({"id":1,"op":"status","futureField":{"x":[1,2]}})");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->op, Op::status);
  auto line = codec.parseServerLine(R"({"id":1,"ok":false,"error":{"code":"someNewToken","message":"m","blocking":true}})");
  ASSERT_TRUE(line);
  EXPECT_EQ(line->answer->error->code, ErrorCode::internal);
  EXPECT_TRUE(line->answer->error->blocking);
}

}  // namespace
}  // namespace corvane::platform::tunneld
