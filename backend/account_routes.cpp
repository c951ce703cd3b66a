#include "account_routes.h"

#include <sodium.h>

#include <cstdio>

#include "credentials.h"
#include "json_body.h"
#include "json_reply.h"
#include "login_answer.h"
#include "signup_form.h"

namespace corvane::backend {
namespace {

// New accounts get a 30-day trial.
constexpr std::int64_t kTrialSeconds = 30 * 24 * 3600;

DeviceRecord deviceFromLogin(const nlohmann::json& body) {
  DeviceRecord d;
  d.udid = optionalText(body, "udid");
  d.deviceType = optionalInteger(body, "device_type");
  d.playerId = optionalText(body, "player_id");
  d.appId = optionalInteger(body, "app_id");
  d.vpnAppVersion = optionalText(body, "vpnAppVersion");
  d.brand = optionalText(body, "brand");
  d.model = optionalText(body, "model");
  d.osName = optionalText(body, "osName");
  d.osPlatform = optionalText(body, "osPlatform");
  d.deviceName = optionalText(body, "deviceName");
  d.osVersion = optionalText(body, "osVersion");
  d.isRooted = optionalInteger(body, "isRooted");
  return d;
}

void login(BackendContext& ctx, const nlohmann::json& body, httplib::Response& res) {
  const std::string username = requireText(body, "username");
  const std::string password = requireText(body, "pass");
  const DeviceRecord device = deviceFromLogin(body);  // type errors refuse the login before any work
  const auto account = checkCredentials(ctx, username, password);
  if (!account) {
    replyJson(res, {{"response_code", 0}, {"message", "Invalid user name or password."}});
    return;
  }
  // A login without a device identifier still signs in; there is just no device to list.
  if (!device.udid.empty()) ctx.store.upsertDevice(account->id, device);
  res.status = 200;
  res.set_content(acceptedLoginAnswer(*account, ctx.catalogue, ctx.store.now()), "application/json");
}

void signUp(BackendContext& ctx, const nlohmann::json& body, httplib::Response& res) {
  SignUpForm form{requireText(body, "username"), requireText(body, "password"),
                  requireText(body, "password_confirmation"), requireText(body, "contact_email")};
  const std::string country = optionalText(body, "country");  // null when the device has no region
  optionalInteger(body, "enable_email_verification");          // type-checked; nothing is e-mailed here
  if (auto rejection = checkSignUpForm(form)) {
    replyJson(res, statusAnswer(rejection->statusCode, rejection->message));
    return;
  }
  Account account;
  account.username = form.username;
  account.passwordHash = ctx.hasher.hash(form.password);
  account.contactEmail = form.contactEmail;
  account.createdAt = ctx.store.now();
  account.expiresAt = account.createdAt + kTrialSeconds;
  if (!ctx.store.createAccount(account)) {
    replyJson(res, statusAnswer(409, "The username has already been taken."));
    return;
  }
  ctx.log->info("sign-up: new account {} (country {})", account.username, country.empty() ? "unknown" : country);
  replyJson(res, statusAnswer(200, "Registration successful. You can sign in now."));
}

void requestReset(BackendContext& ctx, const nlohmann::json& body, httplib::Response& res) {
  const std::string name = requireText(body, "username");
  optionalText(body, "verification_type");
  if (name.empty()) {
    replyJson(res, statusAnswer(422, "The username field is required."));
    return;
  }
  const auto account = ctx.store.findByUsernameOrEmail(name);
  if (!account) {
    replyJson(res, statusAnswer(404, "No account matches that user name or e-mail address."));
    return;
  }
  char code[8];
  std::snprintf(code, sizeof code, "%06u", static_cast<unsigned>(randombytes_uniform(1000000)));
  ctx.store.storeResetCode(account->id, code, ctx.store.now() + ctx.options.resetCodeTtlSeconds);
  // This backend sends no e-mail: its log is where an operator reads the code.
  ctx.log->info("password reset code for {}: {} (valid {} s)", account->username, code,
                ctx.options.resetCodeTtlSeconds);
  replyJson(res, statusAnswer(200, "A reset code has been sent to " + account->contactEmail + "."));
}

void resetPassword(BackendContext& ctx, const nlohmann::json& body, httplib::Response& res) {
  const std::string name = requireText(body, "username");
  const std::string token = requireText(body, "token");
  const std::string password = requireText(body, "password");
  const std::string confirmation = requireText(body, "password_confirmation");
  const auto account = ctx.store.findByUsernameOrEmail(name);
  if (!account) {
    replyJson(res, statusAnswer(404, "No account matches that user name or e-mail address."));
    return;
  }
  if (auto rejection = checkNewPassword(password, confirmation)) {
    replyJson(res, statusAnswer(rejection->statusCode, rejection->message));
    return;
  }
  using Outcome = AccountStore::ResetOutcome;
  switch (ctx.store.resetPassword(account->id, token, ctx.hasher.hash(password))) {
    case Outcome::reset:
      ctx.log->info("password reset for {}", account->username);
      replyJson(res, statusAnswer(200, "Your password has been reset."));
      return;
    case Outcome::noCode:
      replyJson(res, statusAnswer(422, "No reset code is pending for this account. Request a new one."));
      return;
    case Outcome::wrongCode:
      replyJson(res, statusAnswer(422, "The reset code is not valid."));
      return;
    case Outcome::expired:
      replyJson(res, statusAnswer(422, "The reset code has expired. Request a new one."));
      return;
    case Outcome::tooManyAttempts:
      replyJson(res, statusAnswer(429, "Too many wrong reset codes. Request a new one."));
      return;
  }
}

}  // namespace

void registerAccountRoutes(httplib::Server& server, BackendContext& ctx) {
  auto bind = [&ctx](auto fn) {
    return [&ctx, fn](const nlohmann::json& body, httplib::Response& res) { fn(ctx, body, res); };
  };
  server.Post("/app-api-v1/login", jsonRoute(ctx, "login", bind(login)));
  server.Post("/app-api-v1/sign-up", jsonRoute(ctx, "sign-up", bind(signUp)));
  server.Post("/app-api-v1/reset-password-token-request", jsonRoute(ctx, "reset request", bind(requestReset)));
  server.Post("/app-api-v1/reset-password", jsonRoute(ctx, "reset", bind(resetPassword)));
}

}  // namespace corvane::backend
