// Guessing passwords and reset codes from one address against the real backend: the limits
// stop it long before a guess could succeed, and the account itself stays intact.
#include <gtest/gtest.h>

#include "api/support/backend_process.h"
#include "backend/support/backend_calls.h"
#include "backend/support/raw_client.h"

namespace corvane::test {
namespace {

using nlohmann::json;

class BackendLimitsTest : public ::testing::Test {
 protected:
  void SetUp() override { backend_ = std::make_unique<BackendProcess>(); }
  JsonAnswer post(const std::string& path, const json& body) {
    auto http = backend_->httpClient();
    return postJson(http, "/app-api-v1/" + path, body);
  }
  void signUp(const std::string& name, const std::string& contact) {
    ASSERT_EQ(post("sign-up", signUpBody(name, "password-123", "password-123", contact)).body["status_code"], 200);
  }
  void TearDown() override {
    EXPECT_EQ(backend_->stop(), 0);
    EXPECT_EQ(integrityOf(backend_->dataDir() / "backend.sqlite3"), "ok");
  }
  std::unique_ptr<BackendProcess> backend_;
};

TEST_F(BackendLimitsTest, PasswordGuessingIsCutOffPerAccountAndPerAddress) {
  signUp("victim", "victim@corvane.test");
  signUp("bystander", "bystander@corvane.test");
  int refusedAsWrong = 0;
  int limited = 0;
  for (int i = 0; i < 30; ++i) {
    const auto answer = post("login", loginBody("victim", "guess-" + std::to_string(i)));
    ASSERT_EQ(answer.body["response_code"], 0);
    const std::string message = answer.body["message"];
    if (message == "Invalid user name or password.") ++refusedAsWrong;
    if (message.rfind("Too many failed sign-ins.", 0) == 0) ++limited;
  }
  EXPECT_EQ(refusedAsWrong, 10);
  EXPECT_EQ(limited, 20);
  EXPECT_EQ(post("login", loginBody("victim", "password-123")).body["response_code"], 0)
      << "while the account is limited even the right password waits";
  EXPECT_EQ(post("login", loginBody("bystander", "password-123")).body["response_code"], 1)
      << "other accounts are not affected";
  // Spraying many names from one address meets the address limit (50 failures).
  int sprayed = 0;
  for (int i = 0; i < 60; ++i) {
    const auto answer = post("login", loginBody("spray-" + std::to_string(i), "x"));
    if (answer.body["message"] == "Invalid user name or password.") ++sprayed;
  }
  EXPECT_EQ(sprayed, 50 - refusedAsWrong);
  // From then on the address is refused whatever it sends: letting a right password through
  // would let the guessing go on.
  EXPECT_EQ(post("login", loginBody("bystander", "password-123")).body["response_code"], 0);
}

TEST_F(BackendLimitsTest, ResetCodeGuessingIsHopeless) {
  signUp("reset-victim", "rv@corvane.test");
  int codesIssued = 0;
  int guessesChecked = 0;
  // An attacker's loop: ask for a code, try a few, ask again. Bounded at 40 rounds.
  for (int round = 0; round < 40; ++round) {
    const auto request = post("reset-password-token-request", {{"username", "reset-victim"}, {"verification_type", "2"}});
    if (request.body["status_code"] == 200) ++codesIssued;
    for (int guess = 0; guess < 5; ++guess) {
      const auto answer = post("reset-password", {{"username", "reset-victim"},
                                                  {"token", std::to_string(1000000000 + round * 10 + guess)},
                                                  {"password", "taken-over-1"},
                                                  {"password_confirmation", "taken-over-1"}});
      ASSERT_NE(answer.body["status_code"], 200);
      if (answer.body["message"] == "The reset code is not valid.") ++guessesChecked;
    }
  }
  EXPECT_EQ(codesIssued, 3);
  EXPECT_LE(guessesChecked, 10);
  EXPECT_EQ(post("login", loginBody("reset-victim", "password-123")).body["response_code"], 1);
}

TEST_F(BackendLimitsTest, LookAlikeNamesAndAddressesAreOneIdentity) {
  signUp("Norma", "norma@corvane.test");
  const struct {
    const char* name;
    const char* username;
    const char* contact;
    const char* message;
  } cases[] = {
      {"other case", "NORMA", "n2@corvane.test", "The username has already been taken."},
      {"fullwidth", "\xEF\xBD\x8E\xEF\xBD\x8F\xEF\xBD\x92\xEF\xBD\x8D\xEF\xBD\x81", "n3@corvane.test",
       "The username has already been taken."},
      {"trailing no-break space", "Norma\xC2\xA0", "n4@corvane.test", "The username has already been taken."},
      {"user name is another's address", "norma@corvane.test", "n5@corvane.test", "The username has already been taken."},
      {"address taken", "someone-else", "Norma@Corvane.test", "The contact email has already been taken."},
  };
  for (const auto& c : cases) {
    const auto answer = post("sign-up", signUpBody(c.username, "password-123", "password-123", c.contact));
    EXPECT_NE(answer.body["status_code"], 200) << c.name;
    EXPECT_EQ(answer.body["message"], c.message) << c.name;
  }
  // An address that is someone's user name cannot be taken as an address either.
  signUp("owner@corvane.test", "owner-mail@corvane.test");
  EXPECT_EQ(post("sign-up", signUpBody("newcomer", "password-123", "password-123", "OWNER@corvane.test")).body["message"],
            "The contact email has already been taken.");
  // The stored name keeps its case; every look-alike signs in to it.
  for (const char* form : {"norma", "\xEF\xBC\xAE" "orma", " Norma\xC2\xA0"}) {
    EXPECT_EQ(post("login", loginBody(form, "password-123")).body["response_code"], 1) << form;
  }
}

}  // namespace
}  // namespace corvane::test
