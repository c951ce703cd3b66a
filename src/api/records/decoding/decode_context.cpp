#include "api/records/decoding/decode_context.h"

#include <utility>

namespace corvane::api::decoding {
namespace {

void append(std::string& out, const Step& step) {
  if (step.isIndex) {
    out += '[';
    out += std::to_string(step.index);
    out += ']';
    return;
  }
  if (!out.empty()) out += '.';
  out += step.key;
}

}  // namespace

bool DecodeContext::fail(DecodingErrorCode code, std::optional<Step> leaf,
                         std::string_view reason) {
  // Only the first failure counts: it is the one nearest to the bad input.
  if (!error_) {
    std::string description = path(leaf);
    description += ": ";
    description += reason;
    error_.emplace(kDecodingErrorDomain, static_cast<std::int64_t>(code), std::move(description));
  }
  return false;
}

std::string DecodeContext::path(std::optional<Step> leaf) const {
  std::string out;
  for (const Step& step : path_) append(out, step);
  if (leaf) append(out, *leaf);
  return out.empty() ? std::string("<root>") : out;
}

Error DecodeContext::takeError() {
  if (!error_) {
    // A reader returned false without saying why; report it rather than an empty error.
    return Error(kDecodingErrorDomain, static_cast<std::int64_t>(DecodingErrorCode::dataCorrupted),
                 "<root>: decode failed");
  }
  Error error = std::move(*error_);
  error_.reset();
  return error;
}

}  // namespace corvane::api::decoding
