#pragma once
#include <string>

namespace corvane::backend {

// A fresh password-reset code: kResetCodeDigits random digits. With three tries per code and
// the per-account limit on wrong codes, guessing one is hopeless within a code's life.
inline constexpr int kResetCodeDigits = 10;
std::string newResetCode();

}  // namespace corvane::backend
