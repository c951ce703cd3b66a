// The POST operations against a scripted API server: what goes on the wire, how each kind of
// answer is reported, and what is stored.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <functional>

#include "api/support/api_harness.h"
#include "api/support/eventually.h"
#include "api/support/script_server.h"
#include "keys/preference_key.h"

namespace corvane::api {
namespace {

using nlohmann::json;
using test::ScriptedReply;
using test::ScriptServer;
namespace Key = keys::pref;

class Operations : public ::testing::Test {
 protected:
  explicit Operations(std::chrono::milliseconds postTimeout = std::chrono::seconds(60))
      : harness_("127.0.0.1:1", std::nullopt, postTimeout) {
    harness_.preferences().setString(Key::domainLink.key, api_.hostPort());
  }
  json lastBody(const std::string& path) {
    for (auto& request : api_.requests()) {
      if (request.path == path) last_ = request;
    }
    return json::parse(last_.body);
  }

  ScriptServer api_;
  test::ApiHarness harness_;
  test::RecordedRequest last_;
};

// ---- login ---------------------------------------------------------------------------------

TEST_F(Operations, LoginSendsTheDeviceAndKeepsOneIdentifier) {
  api_.answer("POST", "/app-api-v1/login", ScriptedReply::json(200, R"({"response_code":1})"));
  ASSERT_TRUE(harness_.login("ann@corvane.test", "pa)ss Optional(x)"));
  const json first = lastBody("/app-api-v1/login");
  EXPECT_EQ(last_.header("Content-Type"), "application/json");
  EXPECT_EQ(first, json({{"username", "ann@corvane.test"}, {"pass", "pa)ss Optional(x)"},
                         {"udid", harness_.device().vendorId}, {"device_type", 2}, {"player_id", "No_One_Signal"},
                         {"app_id", 0}, {"vpnAppVersion", "0.1.0"}, {"brand", "apple"}, {"model", "x86_64"},
                         {"osName", "iOS"}, {"osPlatform", "iOS"}, {"deviceName", "corvane-test-host"},
                         {"osVersion", "12"}, {"isRooted", 0}}));
  EXPECT_EQ(harness_.keychain().stringForKey("UUID"), harness_.device().vendorId);

  harness_.device().vendorId = "00000000-0000-4000-8000-000000000000";  // a second id must not be made
  ASSERT_TRUE(harness_.login("ann@corvane.test", "x"));
  EXPECT_EQ(lastBody("/app-api-v1/login")["udid"], first["udid"]);
  EXPECT_EQ(harness_.device().identifiersMade, 1);
}

struct LoginCase {
  const char* name;
  ScriptedReply reply;
  std::optional<Error> error;             // none: success
  std::optional<std::string> message;     // "loginmessage" afterwards ("old" before)
  std::size_t servers = 0;
  friend void PrintTo(const LoginCase& c, std::ostream* out) { *out << c.name; }
};

class LoginAnswers : public Operations, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(LoginAnswers, FollowTheAnswerRules) {
  const LoginCase& c = GetParam();
  api_.answer("POST", "/app-api-v1/login", c.reply);
  harness_.preferences().setString(Key::loginmessage.key, "old");
  harness_.preferences().setString(Key::anntitle.key, "old");
  auto user = harness_.login("ann", "pw");
  if (c.error) {
    ASSERT_FALSE(user);
    EXPECT_EQ(user.error(), *c.error) << user.error().toString();
  } else {
    ASSERT_TRUE(user) << user.error().toString();
    ASSERT_TRUE(user->ipBundle);
    EXPECT_EQ(user->ipBundle->size(), c.servers);
  }
  EXPECT_EQ(harness_.preferences().stringForKey(Key::loginmessage.key), c.message);
}


INSTANTIATE_TEST_SUITE_P(
    Table, LoginAnswers,
    ::testing::Values(
        LoginCase{"accepted_bare", ScriptedReply::json(200, R"({"response_code":1})"), {}, std::nullopt, 0},
        LoginCase{"accepted_full",
                  ScriptedReply::json(200, R"({"response_code":1,"message":"Welcome","announcement_title":"T",)"
                                           R"("ip_bundle":[{"ipName":"Berlin","type":5,"is_free":1}],)"
                                           R"("anti_tracker":null,"expire_in_days":"30"})"),
                  {}, "Welcome", 1},
        LoginCase{"refused_with_code", ScriptedReply::json(200, R"({"response_code":0,"message":"Invalid"})"),
                  Error("verficationError", 0), "Invalid"},
        LoginCase{"refused_without_code", ScriptedReply::json(200, R"({"message":"m"})"),
                  Error("verficationError", 3), "m"},
        LoginCase{"null_message", ScriptedReply::json(200, R"({"response_code":1,"message":null})"),
                  Error("DecodingError", 3), "old"},
        LoginCase{"user_type_as_text", ScriptedReply::json(200, R"({"response_code":1,"user_type":"1"})"),
                  Error("DecodingError", 4), "old"},
        LoginCase{"boolean_flag", ScriptedReply::json(200, R"({"response_code":1,"ip_bundle":[{"is_free":true}]})"),
                  Error("DecodingError", 4), "old"},
        LoginCase{"not_json", ScriptedReply::text(200, "<html>"), Error("DecodingError", 1), "old"},
        LoginCase{"redirect", ScriptedReply::text(302, "moved").withHeader("Location", "http://127.0.0.1:1/"),
                  Error("HTTPError", 302), "old"},
        LoginCase{"no_content", ScriptedReply(204), Error("NoDataError", 0), "old"},
        LoginCase{"server_error", ScriptedReply::json(500, R"({"response_code":1})"), Error("HTTPError", 500), "old"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Operations, LoginLogsTheDescriptionOfAnHttpError) {
  api_.answer("POST", "/app-api-v1/login", ScriptedReply::json(503, "{}"));
  ASSERT_FALSE(harness_.login("ann", "pw"));
  EXPECT_TRUE(harness_.logged("The operation couldn\u2019t be completed. (HTTPError error 503.)"));
}

// ---- sign-up and password reset --------------------------------------------------------------

struct MessageOperation {
  const char* path;
  std::string_view key;
  std::function<Result<void>(test::ApiHarness&)> run;
};

const MessageOperation kMessageOperations[] = {
    {"/app-api-v1/sign-up", Key::signupmsg.key, [](auto& h) { return h.signUp("ann", "pw", "pw", "ann@x.test"); }},
    {"/app-api-v1/reset-password-token-request", Key::forgetpassmsg.key,
     [](auto& h) { return h.requestPasswordReset("ann"); }},
    {"/app-api-v1/reset-password", Key::resetpasswordmsg.key,
     [](auto& h) { return h.resetPassword("ann", "123456", "new", "new"); }},
};

TEST_F(Operations, MessageAnswersStoreTheMessageAndSucceedOnlyOnStatus200) {
  struct Case {
    ScriptedReply reply;
    std::optional<Error> error;
    std::optional<std::string> message;
  } cases[] = {
      {ScriptedReply::json(200, R"({"status_code":200,"message":"Done"})"), {}, "Done"},
      {ScriptedReply::json(200, R"({"status_code":422,"message":"Taken"})"), Error("verficationError", 422), "Taken"},
      // No status_code: nothing says it worked, so it did not.
      {ScriptedReply::json(200, R"({"message":"Hm"})"), Error("verficationError", 0), "Hm"},
      {ScriptedReply::json(201, "{}"), Error("verficationError", 0), std::nullopt},
      {ScriptedReply::json(200, R"({"status_code":"200"})"), Error("DecodingError", 4), "old"},
      {ScriptedReply::json(422, R"({"status_code":422,"message":"x"})"), Error("HTTPError", 422), "old"},
  };
  for (const auto& operation : kMessageOperations) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(operation.path) + " answering " + c.reply.body.value_or(""));
      api_.answer("POST", operation.path, c.reply);
      harness_.preferences().setString(operation.key, "old");
      auto result = operation.run(harness_);
      EXPECT_EQ(result.ok(), !c.error);
      if (c.error && !result) {
        EXPECT_EQ(result.error(), *c.error) << result.error().toString();
      }
      EXPECT_EQ(harness_.preferences().stringForKey(operation.key), c.message);
    }
  }
}

TEST_F(Operations, AccountBodiesUseTheBackendsKeysAndTypes) {
  for (const auto& operation : kMessageOperations) {
    api_.answer("POST", operation.path, ScriptedReply::json(200, R"({"status_code":200})"));
  }
  ASSERT_TRUE(harness_.signUp("ann", "pw1", "pw2", "ann@x.test"));
  EXPECT_EQ(lastBody("/app-api-v1/sign-up"),
            json({{"username", "ann"}, {"password", "pw1"}, {"password_confirmation", "pw2"}, {"country", "DE"},
                  {"enable_email_verification", 0}, {"contact_email", "ann@x.test"}}));
  harness_.device().region.reset();
  ASSERT_TRUE(harness_.signUp("ann", "pw1", "pw2", "ann@x.test"));
  EXPECT_TRUE(lastBody("/app-api-v1/sign-up")["country"].is_null());

  ASSERT_TRUE(harness_.requestPasswordReset("ann"));
  EXPECT_EQ(lastBody("/app-api-v1/reset-password-token-request"),
            json({{"username", "ann"}, {"verification_type", "2"}}));
  ASSERT_TRUE(harness_.resetPassword("ann", "123456", "n1", "n2"));
  EXPECT_EQ(lastBody("/app-api-v1/reset-password"),
            json({{"username", "ann"}, {"token", "123456"}, {"password", "n1"}, {"password_confirmation", "n2"}}));
}

// ---- service operations --------------------------------------------------------------------

TEST_F(Operations, WireGuardConfigurationAnswers) {
  struct Case {
    ScriptedReply reply;
    std::optional<Error> error;
    std::optional<std::string> config;  // "Config" afterwards ("old" before)
  } cases[] = {
      {ScriptedReply::json(200, R"({"result":"[Interface]\nPrivateKey = k\n"})"), {}, "[Interface]\nPrivateKey = k\n"},
      {ScriptedReply::json(200, R"({"result":"success"})"), {}, "old"},
      {ScriptedReply::json(200, R"({"result":""})"), {}, ""},
      {ScriptedReply::json(200, "{}"), Error("wgconfigerror", 404), "old"},
      {ScriptedReply::json(200, R"({"result":null})"), Error("wgconfigerror", 404), "old"},
      {ScriptedReply::json(200, R"({"result":5})"), Error("DecodingError", 4), "old"},
      {ScriptedReply::json(404, R"({"result":"x"})"), Error("HTTPError", 404), "old"},
      // Size caps: at the limit it is stored, one byte over it fails and keeps the old one.
      {ScriptedReply::json(200, R"({"result":")" + std::string(ApiClient::kMaxConfigBytes, 'a') + R"("})"), {},
       std::string(ApiClient::kMaxConfigBytes, 'a')},
      {ScriptedReply::json(200, R"({"result":")" + std::string(ApiClient::kMaxConfigBytes + 1, 'a') + R"("})"),
       Error("wgconfigerror", 413), "old"},
  };
  harness_.preferences().setString(Key::username.key, "ann");
  harness_.preferences().setString(Key::password.key, "p)w");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply.body.value_or("").substr(0, 80));
    api_.answer("POST", "/app-api-v1/wireguard-user-con", c.reply);
    harness_.preferences().setString(Key::config.key, "old");
    auto result = harness_.fetchWireGuardConfig(17, 42, 1);
    EXPECT_EQ(result.ok(), !c.error);
    if (c.error && !result) {
      EXPECT_EQ(result.error(), *c.error) << result.error().toString();
    }
    EXPECT_EQ(harness_.preferences().stringForKey(Key::config.key), c.config);
  }
  // The stored password goes out as stored, ")" included.
  EXPECT_EQ(lastBody("/app-api-v1/wireguard-user-con"),
            json({{"username", "ann"}, {"pass", "p)w"}, {"vpnserverId", 17}, {"ipId", 42}, {"connection_type", 1},
                  {"response_type", "json"}}));
}

TEST_F(Operations, WireGuardConfigurationWithoutStoredCredentialsFails) {
  api_.answer("POST", "/app-api-v1/wireguard-user-con", ScriptedReply::json(200, R"({"result":"x"})"));
  harness_.preferences().setString(Key::username.key, "ann");  // no password stored
  auto result = harness_.fetchWireGuardConfig(1, 2, 0);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error(), Error("wgconfigerror", 401));
  EXPECT_TRUE(api_.requests().empty());
}

TEST_F(Operations, DevicesAreDeliveredWhateverTheirStatusCode) {
  api_.answer("POST", "/app-api-v1/get-logged-in-devices",
              ScriptedReply::json(200, R"({"status_code":500,"data":[{"id":1,"udid":"u-1","brand":"apple"}]})"));
  auto devices = harness_.fetchLoggedInDevices("ann", "pw", "u-1");
  ASSERT_TRUE(devices) << devices.error().toString();
  EXPECT_EQ(devices->StatusCode, 500);
  ASSERT_EQ(devices->data->size(), 1u);
  EXPECT_EQ((*devices->data)[0].udid, "u-1");
  EXPECT_EQ(lastBody("/app-api-v1/get-logged-in-devices"), json({{"username", "ann"}, {"pass", "pw"}, {"udid", "u-1"}}));

  api_.answer("POST", "/app-api-v1/get-logged-in-devices", ScriptedReply::json(200, R"({"message":"none"})"));
  devices = harness_.fetchLoggedInDevices("ann", "pw", "u-1");
  ASSERT_TRUE(devices);
  EXPECT_TRUE(devices->data && devices->data->empty());
}

TEST_F(Operations, PinOfflineIsSentAndItsAnswerIgnored) {
  api_.answer("POST", "/app-api-v1/pin-set-offline", ScriptedReply::text(500, "broken"));
  harness_.client().setPinOffline("ann", "pw", "u-1");
  ASSERT_TRUE(test::eventually([&] { return !api_.requests().empty(); }));
  EXPECT_EQ(lastBody("/app-api-v1/pin-set-offline"), json({{"username", "ann"}, {"pass", "pw"}, {"udid", "u-1"}}));
}

// ---- addressing ----------------------------------------------------------------------------

TEST_F(Operations, PostsWithoutAUsableDomainFailWithALogLineAndSendNothing) {
  struct Case {
    std::optional<std::string> domain;
    std::int64_t code;
  } cases[] = {{std::nullopt, 1}, {"api host.test", 2}, {"", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.domain.value_or("<none>"));
    harness_.preferences().setString(Key::domainLink.key, c.domain);
    test::Awaited<Result<User>> awaited;
    harness_.client().login("ann", "pw", awaited.completion());
    auto user = awaited.get();
    ASSERT_TRUE(user);
    ASSERT_FALSE(*user);
    EXPECT_EQ(user->error(), Error("EndpointError", c.code));
    EXPECT_NE(awaited.thread(), std::this_thread::get_id());
  }
  harness_.preferences().setString(Key::domainLink.key, std::nullopt);
  harness_.client().setPinOffline("ann", "pw", "u-1");
  EXPECT_TRUE(test::eventually([&] {
    int lines = 0;
    for (const auto& line : harness_.lines()) lines += line.rfind("Request to /app-api-v1/", 0) == 0;
    return lines == 4;
  }));
  EXPECT_TRUE(api_.requests().empty());
}

class SlowOperations : public Operations {
 protected:
  SlowOperations() : Operations(std::chrono::milliseconds(300)) {}
};

TEST_F(SlowOperations, ASlowServerTripsThePostTimeout) {
  api_.answer("POST", "/app-api-v1/login", ScriptedReply::json(200, R"({"response_code":1})").after(std::chrono::seconds(10)));
  auto user = harness_.login("ann", "pw");
  ASSERT_FALSE(user);
  EXPECT_EQ(user.error(), Error("URLError", 28));
}

}  // namespace
}  // namespace corvane::api
