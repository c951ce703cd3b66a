#include "backend/signup_form.h"

#include <algorithm>

namespace corvane::backend {
namespace {

bool hasControlOrSpace(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7f;
  });
}

FormRejection rejected(std::string message) { return FormRejection{422, std::move(message)}; }

}  // namespace

bool isEmailAddress(const std::string& text) {
  if (text.size() > 254 || hasControlOrSpace(text)) return false;
  const size_t at = text.find('@');
  if (at == std::string::npos || at == 0 || text.find('@', at + 1) != std::string::npos) return false;
  const std::string domain = text.substr(at + 1);
  // A domain of at least two non-empty labels: "corvane.test", not "corvane" or "a..b".
  if (domain.empty() || domain.front() == '.' || domain.back() == '.' || domain.find("..") != std::string::npos) {
    return false;
  }
  return domain.find('.') != std::string::npos;
}

std::optional<FormRejection> checkNewPassword(const std::string& password, const std::string& confirmation) {
  if (password.empty()) return rejected("The password field is required.");
  if (password != confirmation) return rejected("The password confirmation does not match.");
  if (password.size() < kMinPasswordLength) {
    return rejected("The password must be at least " + std::to_string(kMinPasswordLength) + " characters.");
  }
  if (password.size() > kMaxPasswordLength) {
    return rejected("The password may not be longer than " + std::to_string(kMaxPasswordLength) + " characters.");
  }
  return std::nullopt;
}

std::optional<FormRejection> checkSignUpForm(const SignUpForm& form) {
  if (form.username.empty()) return rejected("The username field is required.");
  if (form.username.size() > kMaxUsernameLength) {
    return rejected("The username may not be longer than " + std::to_string(kMaxUsernameLength) + " characters.");
  }
  if (hasControlOrSpace(form.username)) return rejected("The username may not contain spaces.");
  if (auto bad = checkNewPassword(form.password, form.passwordConfirmation)) return bad;
  if (form.contactEmail.empty()) return rejected("The contact email field is required.");
  if (!isEmailAddress(form.contactEmail)) return rejected("The contact email must be a valid email address.");
  return std::nullopt;
}

}  // namespace corvane::backend
