// The item file decoder on arbitrary bytes (a damaged or hand-edited keychain file). It must
// never crash or over-read, and whatever it accepts must encode back to the same bytes.
// Each input is tried as given and with a valid checksum appended, so that mutations reach
// the item parser instead of stopping at the checksum.
#include <openssl/sha.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/secitem/file/keychain_file_format.h"

namespace {

void check(const std::string& bytes) {
  auto items = corvane::platform::decodeKeychainFile(bytes);
  if (items && corvane::platform::encodeKeychainFile(*items) != bytes) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  check(bytes);
  unsigned char sum[SHA256_DIGEST_LENGTH];
  SHA256(data, size, sum);
  check(bytes + std::string(reinterpret_cast<const char*>(sum), sizeof sum));
  return 0;
}
