#include "backend/base64.h"

#include <sodium.h>

namespace corvane::backend {

std::string base64Encode(std::string_view bytes) {
  const int variant = sodium_base64_VARIANT_ORIGINAL;
  std::string out(sodium_base64_encoded_len(bytes.size(), variant), '\0');
  sodium_bin2base64(out.data(), out.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                    variant);
  out.resize(out.size() - 1);  // the encoder counts the terminating NUL
  return out;
}

}  // namespace corvane::backend
