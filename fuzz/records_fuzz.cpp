// Feeds arbitrary bytes to every record decoder, once through the copying path and once from
// a padded buffer read in place. Both must agree, and a failure must be a DecodingError that
// names a path and a reason.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "api/records/record_decoders.h"

namespace {

using namespace corvane::api;
using corvane::Result;

template <typename R>
void check(Result<R> (*decode)(JsonText), std::string_view bytes,
           const std::vector<char>& paddedCopy) {
  Result<R> copied = decode(bytes);
  Result<R> inPlace = decode(JsonText::withPadding({paddedCopy.data(), bytes.size()}));
  if (copied.ok() != inPlace.ok()) __builtin_trap();
  if (copied.ok()) {
    if (!(*copied == *inPlace)) __builtin_trap();
    return;
  }
  const corvane::Error& error = copied.error();
  if (error.domain != kDecodingErrorDomain) __builtin_trap();
  if (error.description.find(": ") == std::string::npos) __builtin_trap();
  if (!(error == inPlace.error()) || error.description != inPlace.error().description) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<char> padded(size + kJsonPadding, '\0');
  if (size > 0) std::memcpy(padded.data(), data, size);

  check(decodeUser, bytes, padded);
  check(decodeResponseReturn, bytes, padded);
  check(decodeWGConfig, bytes, padded);
  check(decodeDeviceResponse, bytes, padded);
  check(decodeIPBundle, bytes, padded);
  check(decodeDatum, bytes, padded);
  check(decodeInAppPayment, bytes, padded);
  check(decodeInAppVPN, bytes, padded);
  check(decodeInAppFeature, bytes, padded);
  return 0;
}
