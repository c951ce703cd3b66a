// Account operations: login (which also reports this device), sign-up and the two steps of a
// password reset.
#include "api/api_client.h"
#include "api/api_client_context.h"
#include "api/api_errors.h"
#include "api/records/record_decoders.h"
#include "api/request_bodies.h"
#include "keys/preference_key.h"
#include "securestore/keychain_store.h"

namespace corvane::api {
namespace {

namespace Key = keys::pref;

constexpr std::string_view kDeviceIdKey = "UUID";

// The device identifier sent as "udid": made once per installation, then read back. A fresh
// identifier that cannot be stored is still used for this login.
std::string deviceIdentifier(ApiClient::Context& context) {
  if (auto stored = context.keychain.stringForKey(kDeviceIdKey); stored && !stored->empty()) {
    return *stored;
  }
  std::string fresh = context.device.makeVendorIdentifier();
  if (auto written = context.keychain.setString(fresh, kDeviceIdKey); !written) {
    context.log.error("Device identifier not stored: " + written.error().description);
  }
  return fresh;
}

// The rule of sign-up and both reset steps: store the server's message, then succeed only on
// status_code 200. An answer without status_code is a failure too: nothing says it worked.
void messageAnswer(const std::shared_ptr<ApiClient::Context>& context, std::string_view path,
                   const nlohmann::json& body, const keys::TextKey& messageKey, ApiClient::DoneCompletion completion) {
  context->postDecoded(path, body, decodeResponseReturn, std::move(completion),
                       [context, messageKey](responseReturn reply, ApiClient::DoneCompletion& done) {
                         context->preferences.setIfChanged(messageKey, reply.message);
                         if (reply.StatusCode == 200) {
                           done(Result<void>::success());
                         } else {
                           done(verificationError(reply.StatusCode.value_or(0)));
                         }
                       });
}

}  // namespace

void ApiClient::login(const std::string& username, const std::string& password, UserCompletion completion) {
  auto context = context_;
  const std::string udid = deviceIdentifier(*context);
  // An HTTP error's description is logged; every outcome goes on to the caller.
  auto logged = [context, completion = std::move(completion)](Result<User> outcome) {
    if (!outcome && outcome.error().domain == kHttpErrorDomain) context->log.error(outcome.error().description);
    completion(std::move(outcome));
  };
  context->postDecoded(
      "/app-api-v1/login", loginBody(username, password, udid, context->device), decodeUser, std::move(logged),
      [context](User user, auto& done) {
        // Stored before the verdict, so a refused login still updates the notice texts.
        context->preferences.setIfChanged(Key::loginmessage, user.message);
        context->preferences.setIfChanged(Key::anntitle, user.annTitle);
        context->preferences.setIfChanged(Key::anntext, user.annContent);
        if (user.responseCode != 1) {
          done(verificationError(user.responseCode.value_or(3)));
          return;
        }
        if (!user.ipBundle) {
          user.ipBundle.emplace();
        }
        done(std::move(user));
      });
}

void ApiClient::signUp(const std::string& username, const std::string& password,
                       const std::string& passwordConfirmation, const std::string& contactEmail,
                       DoneCompletion completion) {
  messageAnswer(context_, "/app-api-v1/sign-up",
                signUpBody(username, password, passwordConfirmation, contactEmail, context_->device.regionCode()),
                Key::signupmsg, std::move(completion));
}

void ApiClient::requestPasswordReset(const std::string& username, DoneCompletion completion) {
  messageAnswer(context_, "/app-api-v1/reset-password-token-request", passwordResetRequestBody(username),
                Key::forgetpassmsg, std::move(completion));
}

void ApiClient::resetPassword(const std::string& username, const std::string& token, const std::string& password,
                              const std::string& passwordConfirmation, DoneCompletion completion) {
  messageAnswer(context_, "/app-api-v1/reset-password",
                resetPasswordBody(username, token, password, passwordConfirmation), Key::resetpasswordmsg,
                std::move(completion));
}

}  // namespace corvane::api
