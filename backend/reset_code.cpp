#include "backend/reset_code.h"

#include <sodium.h>

namespace corvane::backend {

std::string newResetCode() {
  std::string code;
  code.reserve(kResetCodeDigits);
  for (int i = 0; i < kResetCodeDigits; ++i) code += static_cast<char>('0' + randombytes_uniform(10));
  return code;
}

}  // namespace corvane::backend
