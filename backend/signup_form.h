#pragma once
#include <optional>
#include <string>

namespace corvane::backend {

// The sign-up body, already type-checked.
struct SignUpForm {
  std::string username;
  std::string password;
  std::string passwordConfirmation;
  std::string contactEmail;
};

struct FormRejection {
  int statusCode;  // 422: the form is wrong
  std::string message;
};

// The first rule the form breaks, in the order a user fixes them, or nothing.
std::optional<FormRejection> checkSignUpForm(const SignUpForm& form);
// The password rules alone, shared with the password reset.
std::optional<FormRejection> checkNewPassword(const std::string& password, const std::string& confirmation);
bool isEmailAddress(const std::string& text);

inline constexpr size_t kMinPasswordLength = 8;
inline constexpr size_t kMaxPasswordLength = 128;
inline constexpr size_t kMaxUsernameLength = 64;

}  // namespace corvane::backend
