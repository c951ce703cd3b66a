// The reference backend's reading of POST bodies: any bytes either parse as a JSON object or
// are refused with BadRequest, every typed accessor either yields its type or refuses, and a
// sign-up form the validator accepts really meets every rule it promises; user names normalise
// to a fixed point.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "backend/json_body.h"
#include "backend/signup_form.h"
#include "backend/user_name.h"

using namespace corvane::backend;

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

template <typename F>
void tolerate(F f) {
  try {
    f();
  } catch (const BadRequest&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  isEmailAddress(body);
  // Normalising a name is stable, and a name and its normal form share one comparison key.
  if (const auto name = normalizedName(body)) {
    require(normalizedName(*name) == *name);
    require(nameKey(*name) == nameKey(body));
  } else {
    require(nameKey(body).empty());
  }
  nlohmann::json object;
  try {
    object = parseJsonObject(body);
  } catch (const BadRequest&) {
    return 0;
  }
  require(object.is_object());
  for (const char* key : {"username", "pass", "password", "password_confirmation", "contact_email", "udid", "token",
                          "country", "response_type"}) {
    tolerate([&] { requireText(object, key); });
    tolerate([&] { optionalText(object, key, "fallback"); });
  }
  for (const char* key : {"vpnserverId", "ipId", "connection_type", "device_type", "app_id", "isRooted"}) {
    tolerate([&] { requireInteger(object, key); });
    tolerate([&] { optionalInteger(object, key, 7); });
  }
  tolerate([&] {
    const SignUpForm form{optionalText(object, "username"), optionalText(object, "password"),
                          optionalText(object, "password_confirmation"), optionalText(object, "contact_email")};
    if (const auto rejection = checkSignUpForm(form)) {
      require(rejection->statusCode == 422 && !rejection->message.empty());
      return;
    }
    require(!form.username.empty() && form.username.size() <= kMaxUsernameLength);
    require(form.password == form.passwordConfirmation);
    require(form.password.size() >= kMinPasswordLength && form.password.size() <= kMaxPasswordLength);
    require(isEmailAddress(form.contactEmail) && form.contactEmail.find('@') != std::string::npos);
  });
  return 0;
}
