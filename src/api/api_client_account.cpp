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
  context->post(path, body,
                [context, messageKey, completion = std::move(completion)](Result<std::string> answer) {
                  if (!answer) {
                    completion(answer.error());
                    return;
                  }
                  auto reply = decodeResponseReturn(*answer);
                  if (!reply) {
                    completion(reply.error());
                    return;
                  }
                  context->preferences.setIfChanged(messageKey, reply->message);
                  if (reply->StatusCode == 200) {
                    completion(Result<void>::success());
                  } else {
                    completion(verificationError(reply->StatusCode.value_or(0)));
                  }
                });
}

}  // namespace

void ApiClient::login(const std::string& username, const std::string& password, UserCompletion completion) {
  auto context = context_;
  const std::string udid = deviceIdentifier(*context);
  context->post(
      "/app-api-v1/login", loginBody(username, password, udid, context->device),
      [context, completion = std::move(completion)](Result<std::string> answer) {
        if (!answer) {
          if (answer.error().domain == kHttpErrorDomain) {
            context->log.error(answer.error().description);
          }
          completion(answer.error());
          return;
        }
        auto user = decodeUser(*answer);
        if (!user) {
          completion(user.error());
          return;
        }
        // Stored before the verdict, so a refused login still updates the notice texts.
        context->preferences.setIfChanged(Key::loginmessage, user->message);
        context->preferences.setIfChanged(Key::anntitle, user->annTitle);
        context->preferences.setIfChanged(Key::anntext, user->annContent);
        if (user->responseCode != 1) {
          completion(verificationError(user->responseCode.value_or(3)));
          return;
        }
        if (!user->ipBundle) {
          user->ipBundle.emplace();
        }
        completion(std::move(*user));
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
