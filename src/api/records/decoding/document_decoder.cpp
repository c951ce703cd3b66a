#include "api/records/decoding/document_decoder.h"

#include <fmt/format.h>

#include "api/records/decoding/decoding_limits.h"
#include "api/records/decoding/out_of_range_numbers.h"
#include "api/records/decoding/value_reader.h"

namespace corvane::api::decoding {
namespace {

static_assert(kJsonPadding >= simdjson::SIMDJSON_PADDING);

// Keeping the parser's buffers between answers saves allocating and faulting them in on every
// decode. Past this size they are released again, so one huge catalogue does not pin its
// working memory on the thread for the life of the process.
constexpr std::size_t kRetainedCapacity = 32u * 1024u * 1024u;

simdjson::dom::parser makeParser() {
  simdjson::dom::parser parser(kMaxDocumentBytes);
  // The depth bound is fixed here; capacity grows on demand. Should this small allocation
  // fail, the next parse retries it and reports MEMALLOC (with simdjson's own depth bound).
  if (parser.allocate(simdjson::dom::MINIMAL_DOCUMENT_CAPACITY, kMaxDepth) != simdjson::SUCCESS) {
    return simdjson::dom::parser(kMaxDocumentBytes);
  }
  return parser;
}

// One parser per decoding thread: a parser is not thread-safe, and the decoders are called
// from whatever queue the HTTP completion runs on.
simdjson::dom::parser& threadParser() {
  thread_local simdjson::dom::parser parser = makeParser();
  return parser;
}

}  // namespace

bool parseRootObject(JsonText json, simdjson::dom::object& root, DecodeContext& ctx) {
  const std::string_view text = json.text();
  if (text.size() > kMaxDocumentBytes) {
    return ctx.fail(DecodingErrorCode::dataCorrupted, std::nullopt,
                    fmt::format("answer of {} bytes is larger than the {}-byte limit", text.size(),
                                kMaxDocumentBytes));
  }
  // A default-constructed view has no buffer at all; give the parser an empty one, which it
  // reports as "no JSON found", rather than a null pointer to copy from.
  const bool inPlace = json.padded() && text.data() != nullptr;
  const char* bytes = text.data() != nullptr ? text.data() : "";
  simdjson::dom::parser& parser = threadParser();
  simdjson::dom::element element;
  simdjson::error_code error = parser.parse(bytes, text.size(), /*realloc_if_needed=*/!inPlace).get(element);
  if (error == simdjson::NUMBER_ERROR) {
    // Only rare answers pay for the rewrite; the catalogue's hot path parses once.
    if (auto tamed = tameOutOfRangeNumbers(text)) {
      error = parser.parse(tamed->data(), tamed->size()).get(element);
    }
  }
  if (error != simdjson::SUCCESS) {
    return ctx.fail(DecodingErrorCode::dataCorrupted, std::nullopt,
                    fmt::format("not valid JSON: {}", simdjson::error_message(error)));
  }
  if (element.get_object().get(root) != simdjson::SUCCESS) {
    return failConversion(ctx, std::nullopt, "an object", element, Conversion::wrongType);
  }
  return true;
}

void trimParser() {
  simdjson::dom::parser& parser = threadParser();
  if (parser.capacity() > kRetainedCapacity) {
    parser = makeParser();
  }
}

}  // namespace corvane::api::decoding
