#pragma once
#include <string>
#include <string_view>

namespace corvane::backend {

// Standard Base64 with padding (the alphabet clients decode strictly).
std::string base64Encode(std::string_view bytes);

}  // namespace corvane::backend
