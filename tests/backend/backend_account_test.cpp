// Accounts on the reference backend: login answers shaped as the client decodes them,
// sign-up validation, and password recovery with codes that expire and cannot be guessed.
#include <gtest/gtest.h>

#include <regex>

#include "backend/support/backend_calls.h"
#include "api/support/backend_suite.h"

namespace corvane::test {
namespace {

using nlohmann::json;

constexpr const char* kDemoUser = "demo@corvane.test";
constexpr const char* kDemoPassword = "corvane-demo-2026";

class BackendAccountTest : public BackendSuite<> {
 protected:
  JsonAnswer post(const std::string& path, const json& body) {
    auto http = backend_->httpClient();
    return postJson(http, "/app-api-v1/" + path, body);
  }
  // Signs up `name` with a valid form and checks that it worked.
  void signUp(const std::string& name, const std::string& password) {
    const auto answer = post("sign-up", signUpBody(name, password, password, name + "@mail.corvane.test"));
    ASSERT_EQ(answer.body["status_code"], 200) << answer.text;
  }
};

TEST_F(BackendAccountTest, DemoLoginCarriesEveryUserFieldWithItsType) {
  const auto answer = post("login", loginBody(kDemoUser, kDemoPassword));
  ASSERT_EQ(answer.status, 200);
  const json& user = answer.body;
  EXPECT_EQ(user["response_code"], 1);
  // Integers must be JSON integers and texts JSON strings: the client's decoder fails the whole
  // answer on a wrong type, and a null counts as wrong for most of these.
  for (const char* key : {"response_code", "expire_in_days", "user_type"}) {
    EXPECT_TRUE(user[key].is_number_integer()) << key;
  }
  for (const char* key : {"message", "validity_date", "expired_at", "announcement_title", "announcement_content",
                          "show_full_screen", "user_status", "account_id", "contact_email", "website_url",
                          "anti_tracker", "adult_content_blocker"}) {
    EXPECT_TRUE(user[key].is_string()) << key;
  }
  const json& inApp = user["in_app_payment_page_data"];
  ASSERT_TRUE(inApp["iapp_ios_packages"].is_array());
  ASSERT_TRUE(inApp["premium_features_list"].is_array());
  for (const json& package : inApp["iapp_ios_packages"]) {
    EXPECT_TRUE(package["id"].is_number_integer());
    EXPECT_TRUE(package["price"].is_number());
    for (const char* key : {"name", "sku_ids", "sub_title", "highlighted_text", "feature_title"}) {
      EXPECT_TRUE(package[key].is_string()) << key;
    }
  }
  EXPECT_TRUE(inApp["features_img_block"]["img_url"].is_string());
  ASSERT_TRUE(user["ip_bundle"].is_array());
  EXPECT_GE(user["ip_bundle"].size(), 60u);
}

TEST_F(BackendAccountTest, RefusedLoginsAnswerResponseCodeZeroWithAMessage) {
  signUp("refused-login-user", "right-password");
  const struct {
    const char* user;
    const char* password;
  } cases[] = {{kDemoUser, "wrong-password"},
               {"no-such-user@corvane.test", kDemoPassword},
               {"refused-login-user", ""},
               {"", ""}};
  for (const auto& c : cases) {
    const auto answer = post("login", loginBody(c.user, c.password));
    EXPECT_EQ(answer.status, 200) << c.user;
    EXPECT_EQ(answer.body["response_code"], 0) << c.user;
    EXPECT_TRUE(answer.body["message"].is_string()) << c.user;
    EXPECT_FALSE(answer.body.contains("ip_bundle")) << c.user;
  }
  EXPECT_EQ(post("login", loginBody("refused-login-user", "right-password")).body["response_code"], 1);
  EXPECT_EQ(post("login", loginBody("REFUSED-LOGIN-USER", "right-password")).body["response_code"], 1)
      << "user names are e-mail-like and compare without case";
}

TEST_F(BackendAccountTest, SignUpValidation) {
  const struct {
    const char* name;
    const char* username;
    const char* password;
    const char* confirmation;
    const char* email;
    int statusCode;
  } cases[] = {
      {"empty user name", "", "long-enough-1", "long-enough-1", "a@corvane.test", 422},
      {"user name with a space", "two words", "long-enough-1", "long-enough-1", "a@corvane.test", 422},
      {"empty password", "signup-a", "", "", "a@corvane.test", 422},
      {"passwords differ", "signup-a", "long-enough-1", "long-enough-2", "a@corvane.test", 422},
      {"password too short", "signup-a", "short", "short", "a@corvane.test", 422},
      {"empty e-mail", "signup-a", "long-enough-1", "long-enough-1", "", 422},
      {"e-mail without @", "signup-a", "long-enough-1", "long-enough-1", "corvane.test", 422},
      {"e-mail without domain dot", "signup-a", "long-enough-1", "long-enough-1", "a@corvane", 422},
      {"e-mail with two @", "signup-a", "long-enough-1", "long-enough-1", "a@b@corvane.test", 422},
      {"valid form", "signup-a", "long-enough-1", "long-enough-1", "a@corvane.test", 200},
      {"user name taken", "signup-a", "long-enough-1", "long-enough-1", "b@corvane.test", 409},
      {"taken in other case", "SIGNUP-A", "long-enough-1", "long-enough-1", "b@corvane.test", 409},
      {"demo account taken", kDemoUser, "long-enough-1", "long-enough-1", "b@corvane.test", 409},
  };
  for (const auto& c : cases) {
    const auto answer = post("sign-up", signUpBody(c.username, c.password, c.confirmation, c.email));
    // Refusals travel inside a 200 answer: the client reads "status_code" and stores "message".
    EXPECT_EQ(answer.status, 200) << c.name;
    EXPECT_EQ(answer.body["status_code"], c.statusCode) << c.name << ": " << answer.text;
    EXPECT_EQ(answer.body["response_code"], c.statusCode == 200 ? 1 : 0) << c.name;
    ASSERT_TRUE(answer.body["message"].is_string()) << c.name;
    EXPECT_FALSE(answer.body["message"].get<std::string>().empty()) << c.name;
  }
  // The refused forms created nothing; the valid one can sign in with its password.
  EXPECT_EQ(post("login", loginBody("signup-a", "long-enough-1")).body["response_code"], 1);
  EXPECT_EQ(post("login", loginBody(kDemoUser, kDemoPassword)).body["response_code"], 1)
      << "a refused sign-up must not touch the existing account";
}

TEST_F(BackendAccountTest, SignUpAcceptsANullCountry) {
  auto body = signUpBody("no-region-user", "long-enough-1", "long-enough-1", "nr@corvane.test");
  body["country"] = nullptr;
  EXPECT_EQ(post("sign-up", body).body["status_code"], 200);
}

TEST_F(BackendAccountTest, PasswordResetWithTheCodeFromTheTestListener) {
  signUp("reset-user", "old-password-1");
  EXPECT_FALSE(backend_->resetCode("reset-user")) << "no code before a request";
  const auto request = post("reset-password-token-request", {{"username", "reset-user"}, {"verification_type", "2"}});
  ASSERT_EQ(request.body["status_code"], 200) << request.text;
  const auto code = backend_->resetCode("reset-user");
  ASSERT_TRUE(code);
  ASSERT_EQ(code->size(), 10u);
  EXPECT_EQ(code->find_first_not_of("0123456789"), std::string::npos);

  auto reset = [&](const std::string& token, const std::string& password, const std::string& confirmation) {
    return post("reset-password", {{"username", "reset-user"},
                                   {"token", token},
                                   {"password", password},
                                   {"password_confirmation", confirmation}});
  };
  const std::string wrong = *code == "0000000000" ? "1111111111" : "0000000000";
  EXPECT_EQ(reset(wrong, "new-password-1", "new-password-1").body["status_code"], 422);
  EXPECT_EQ(reset(*code, "new-password-1", "different-1").body["status_code"], 422);
  EXPECT_EQ(reset(*code, "short", "short").body["status_code"], 422);
  EXPECT_EQ(post("login", loginBody("reset-user", "old-password-1")).body["response_code"], 1)
      << "refused resets keep the old password";

  const auto done = reset(*code, "new-password-1", "new-password-1");
  EXPECT_EQ(done.body["status_code"], 200) << done.text;
  EXPECT_EQ(post("login", loginBody("reset-user", "new-password-1")).body["response_code"], 1);
  EXPECT_EQ(post("login", loginBody("reset-user", "old-password-1")).body["response_code"], 0);
  EXPECT_EQ(reset(*code, "another-pass-1", "another-pass-1").body["status_code"], 422) << "a code works once";
}

TEST_F(BackendAccountTest, ResetAnswersNeitherRevealTheAccountNorItsAddress) {
  signUp("mail-reset-user", "old-password-1");
  const auto request =
      post("reset-password-token-request", {{"username", "mail-reset-user@mail.corvane.test"}, {"verification_type", "2"}});
  EXPECT_EQ(request.body["status_code"], 200) << request.text;
  EXPECT_TRUE(backend_->resetCode("mail-reset-user"));
  const std::string known = request.body["message"];
  EXPECT_EQ(known.find("mail-reset-user@"), std::string::npos) << known;
  EXPECT_NE(known.find("m***@m***.test"), std::string::npos) << known;

  const auto unknown = post("reset-password-token-request", {{"username", "nobody@corvane.test"}, {"verification_type", "2"}});
  EXPECT_EQ(unknown.body["status_code"], 200);
  const std::string invented = unknown.body["message"];
  const std::regex shape(R"(^If the account exists, a reset code has been sent to [^ @]\*\*\*@[^ .]\*\*\*\.[a-z]+\.$)");
  EXPECT_TRUE(std::regex_match(known, shape)) << known;
  EXPECT_TRUE(std::regex_match(invented, shape)) << invented;
  EXPECT_EQ(post("reset-password-token-request", {{"username", "nobody@corvane.test"}, {"verification_type", "2"}})
                .body["message"],
            invented)
      << "the same invented mask each time, as a real address would be";
  // A reset for an unknown account is refused exactly as a wrong code is.
  const auto reset = post("reset-password", {{"username", "nobody@corvane.test"},
                                             {"token", "0123456789"},
                                             {"password", "new-password-1"},
                                             {"password_confirmation", "new-password-1"}});
  EXPECT_EQ(reset.body["status_code"], 422);
  EXPECT_EQ(reset.body["message"], "The reset code is not valid.");
}

TEST_F(BackendAccountTest, WrongCodesVoidTheCodeAfterThreeAttempts) {
  signUp("guess-user", "old-password-1");
  post("reset-password-token-request", {{"username", "guess-user"}, {"verification_type", "2"}});
  const auto code = backend_->resetCode("guess-user");
  ASSERT_TRUE(code);
  const std::string wrong = *code == "9999999999" ? "8888888888" : "9999999999";
  auto attempt = [&](const std::string& token) {
    return post("reset-password", {{"username", "guess-user"},
                                   {"token", token},
                                   {"password", "new-password-1"},
                                   {"password_confirmation", "new-password-1"}})
        .body["status_code"];
  };
  for (int i = 0; i < 2; ++i) EXPECT_EQ(attempt(wrong), 422);
  EXPECT_EQ(attempt(wrong), 429);
  EXPECT_EQ(attempt(*code), 422) << "the right code no longer works once guessing voided it";
  EXPECT_EQ(post("login", loginBody("guess-user", "old-password-1")).body["response_code"], 1);
}

TEST(BackendResetExpiryTest, ExpiredCodeIsRefused) {
  BackendLaunch launch;
  launch.extraArgs = {"--reset-code-ttl", "0"};
  BackendProcess backend(launch);
  auto http = backend.httpClient();
  ASSERT_EQ(postJson(http, "/app-api-v1/sign-up",
                     signUpBody("expiry-user", "old-password-1", "old-password-1", "e@corvane.test"))
                .body["status_code"],
            200);
  postJson(http, "/app-api-v1/reset-password-token-request", {{"username", "expiry-user"}, {"verification_type", "2"}});
  const auto code = backend.resetCode("expiry-user");
  ASSERT_TRUE(code);
  const auto answer = postJson(http, "/app-api-v1/reset-password",
                               {{"username", "expiry-user"},
                                {"token", *code},
                                {"password", "new-password-1"},
                                {"password_confirmation", "new-password-1"}});
  EXPECT_EQ(answer.body["status_code"], 422);
  EXPECT_NE(answer.body["message"].get<std::string>().find("expired"), std::string::npos) << answer.text;
  EXPECT_EQ(postJson(http, "/app-api-v1/login", loginBody("expiry-user", "old-password-1")).body["response_code"], 1);
}

}  // namespace
}  // namespace corvane::test
