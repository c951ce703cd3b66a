#include "backend/account_routes.h"

#include "backend/credentials.h"
#include "backend/json_body.h"
#include "backend/json_reply.h"
#include "backend/login_answer.h"
#include "backend/masked_address.h"
#include "backend/reset_code.h"
#include "backend/signup_form.h"
#include "backend/user_name.h"

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

std::string minutesText(std::int64_t seconds) {
  const std::int64_t minutes = (seconds + 59) / 60;
  return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

void tellToWait(HttpResponse& res, std::int64_t seconds) {
  res.headers.emplace_back("Retry-After", std::to_string(seconds));
}

// The account limiters are keyed by the name's comparison key, whether or not an account has
// it, so a limited name looks the same as a limited account.
std::string accountKey(const std::string& name) {
  const std::string key = nameKey(name);
  return key.empty() ? name : key;
}

void login(BackendContext& ctx, const HttpRequest& req, const nlohmann::json& body, HttpResponse& res) {
  const std::string username = requireText(body, "username");
  const std::string password = requireText(body, "pass");
  const DeviceRecord device = deviceFromLogin(body);  // type errors refuse the login before any work
  const std::string key = accountKey(username);
  const std::int64_t wait =
      std::max(ctx.limits.loginByAccount.blockedFor(key), ctx.limits.loginByAddress.blockedFor(req.remoteAddress));
  if (wait > 0) {
    // Refused before the hash is checked: a guesser learns nothing and costs no hashing.
    ctx.log->info("login: too many failures for this account or from {}", req.remoteAddress);
    replyJson(res, {{"response_code", 0}, {"message", "Too many failed sign-ins. Try again in " + minutesText(wait) + "."}});
    tellToWait(res, wait);
    return;
  }
  const auto account = checkCredentials(ctx, username, password);
  if (!account) {
    ctx.limits.loginByAccount.record(key);
    ctx.limits.loginByAddress.record(req.remoteAddress);
    replyJson(res, {{"response_code", 0}, {"message", "Invalid user name or password."}});
    return;
  }
  // A login without a device identifier still signs in; there is just no device to list.
  if (!device.udid.empty()) ctx.store.upsertDevice(account->id, device);
  res.status = 200;
  res.contentType = "application/json";
  LoginAnswer answer = acceptedLoginAnswer(*account, ctx.catalogue, ctx.store.now());
  res.body = std::move(answer.text);
  res.precompressed = ctx.catalogue.deflatedBundle();
  res.precompressedAt = answer.bundleAt;
}

void signUp(BackendContext& ctx, const HttpRequest&, const nlohmann::json& body, HttpResponse& res) {
  SignUpForm form{requireText(body, "username"), requireText(body, "password"),
                  requireText(body, "password_confirmation"), requireText(body, "contact_email")};
  const std::string country = optionalText(body, "country");  // null when the device has no region
  optionalInteger(body, "enable_email_verification");          // type-checked; nothing is e-mailed here
  const auto username = normalizedName(form.username);
  const auto contact = normalizedName(form.contactEmail);
  if (!username || !contact) {
    replyJson(res, statusAnswer(422, "The username and contact email must be valid text."));
    return;
  }
  form.username = *username;
  form.contactEmail = *contact;
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
  switch (ctx.store.createAccount(account)) {
    case AccountStore::CreateOutcome::usernameTaken:
      replyJson(res, statusAnswer(409, "The username has already been taken."));
      return;
    case AccountStore::CreateOutcome::contactTaken:
      replyJson(res, statusAnswer(409, "The contact email has already been taken."));
      return;
    case AccountStore::CreateOutcome::created:
      break;
  }
  ctx.log->info("sign-up: new account {} (country {})", account.username, country.empty() ? "unknown" : country);
  replyJson(res, statusAnswer(200, "Registration successful. You can sign in now."));
}

void requestReset(BackendContext& ctx, const HttpRequest& req, const nlohmann::json& body, HttpResponse& res) {
  const std::string name = requireText(body, "username");
  optionalText(body, "verification_type");
  if (name.empty()) {
    replyJson(res, statusAnswer(422, "The username field is required."));
    return;
  }
  const std::string key = accountKey(name);
  const std::int64_t wait = std::max(ctx.limits.resetRequestByAccount.blockedFor(key),
                                     ctx.limits.resetRequestByAddress.blockedFor(req.remoteAddress));
  if (wait > 0) {
    replyJson(res, statusAnswer(429, "Too many reset requests. Try again in " + minutesText(wait) + "."));
    tellToWait(res, wait);
    return;
  }
  ctx.limits.resetRequestByAccount.record(key);
  ctx.limits.resetRequestByAddress.record(req.remoteAddress);
  // Known and unknown names get the same answer, with a masked address either way.
  const auto account = ctx.store.findByUsernameOrEmail(name);
  std::string mask = inventedMask(key, ctx.answerSecret);
  if (account) {
    const std::string code = newResetCode();
    ctx.store.storeResetCode(account->id, code, ctx.store.now() + ctx.options.resetCodeTtlSeconds);
    // This backend sends no e-mail: its log is where an operator reads the code.
    ctx.log->info("password reset code for {}: {} (valid {} s)", account->username, code,
                  ctx.options.resetCodeTtlSeconds);
    mask = maskedAddress(account->contactEmail);
  }
  replyJson(res, statusAnswer(200, "If the account exists, a reset code has been sent to " + mask + "."));
}

void resetPassword(BackendContext& ctx, const HttpRequest& req, const nlohmann::json& body, HttpResponse& res) {
  const std::string name = requireText(body, "username");
  const std::string token = requireText(body, "token");
  const std::string password = requireText(body, "password");
  const std::string confirmation = requireText(body, "password_confirmation");
  if (auto rejection = checkNewPassword(password, confirmation)) {
    replyJson(res, statusAnswer(rejection->statusCode, rejection->message));
    return;
  }
  const std::string key = accountKey(name);
  const std::int64_t wait =
      std::max(ctx.limits.resetByAccount.blockedFor(key), ctx.limits.resetByAddress.blockedFor(req.remoteAddress));
  if (wait > 0) {
    replyJson(res, statusAnswer(429, "Too many wrong reset codes. Try again in " + minutesText(wait) + "."));
    tellToWait(res, wait);
    return;
  }
  const auto account = ctx.store.findByUsernameOrEmail(name);
  using Outcome = AccountStore::ResetOutcome;
  // An unknown account answers as a wrong code does, so the answer tells nothing about it.
  const Outcome outcome = account ? ctx.store.claimResetCode(account->id, token) : Outcome::wrongCode;
  if (outcome != Outcome::accepted) {
    ctx.limits.resetByAccount.record(key);
    ctx.limits.resetByAddress.record(req.remoteAddress);
  }
  switch (outcome) {
    case Outcome::accepted:
      // Hashed only now that the code is right (and used up).
      ctx.store.setPasswordHash(account->id, ctx.hasher.hash(password));
      ctx.log->info("password reset for {}", account->username);
      replyJson(res, statusAnswer(200, "Your password has been reset."));
      return;
    case Outcome::noCode:
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

void registerAccountRoutes(Router& router, BackendContext& ctx) {
  auto bind = [&ctx](auto fn) {
    return [&ctx, fn](const HttpRequest& req, const nlohmann::json& body, HttpResponse& res) {
      fn(ctx, req, body, res);
    };
  };
  router.post("/app-api-v1/login", jsonRoute(ctx, "login", bind(login)));
  router.post("/app-api-v1/sign-up", jsonRoute(ctx, "sign-up", bind(signUp)));
  router.post("/app-api-v1/reset-password-token-request", jsonRoute(ctx, "reset request", bind(requestReset)));
  router.post("/app-api-v1/reset-password", jsonRoute(ctx, "reset", bind(resetPassword)));
}

}  // namespace corvane::backend
