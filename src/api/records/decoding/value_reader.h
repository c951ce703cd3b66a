#pragma once
// Reading one JSON value into a C++ value: Int (int64_t), Double, text, lists and records.
// These are the typed-decoder rules that every record shares; what a missing key or a null
// means is decided one level up, per field (field_reader.h).
//
// Number rules: an Int field takes a JSON integer in the signed 64-bit range, or a number
// written with a fraction or exponent whose value is exactly such an integer (1.0, 1e3). A
// fractional value (1.5) or one outside the range is a type mismatch. A Double field takes any
// JSON number. Strings are valid UTF-8: the parser rejects the document otherwise.
#include <simdjson.h>

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "api/records/decoding/decode_context.h"
#include "api/records/decoding/decoding_limits.h"
#include "api/records/decoding/record_readers.h"

namespace corvane::api::decoding {

enum class Conversion { ok, wrongType, notInteger, outOfRange };

Conversion convert(simdjson::dom::element value, std::int64_t& out);
Conversion convert(simdjson::dom::element value, double& out);
Conversion convert(simdjson::dom::element value, std::string& out);

template <typename T>
concept Scalar =
    std::is_same_v<T, std::int64_t> || std::is_same_v<T, double> || std::is_same_v<T, std::string>;

template <typename T>
concept Record = requires(simdjson::dom::object object, T& record, DecodeContext& ctx) {
  { readRecord(object, record, ctx) } -> std::same_as<bool>;
};

// What a field of type T expects, as the error text says it: "a number", "an array".
template <typename T>
constexpr std::string_view expectedName() {
  if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, double>) {
    return "a number";
  } else if constexpr (std::is_same_v<T, std::string>) {
    return "a string";
  } else if constexpr (Record<T>) {
    return "an object";
  } else {
    return "an array";
  }
}

// The failures, with their texts ("expected a number, got a boolean"). All return false.
bool failConversion(DecodeContext& ctx, std::optional<Step> leaf, std::string_view expected,
                    simdjson::dom::element value, Conversion conversion);
bool failNull(DecodeContext& ctx, Step leaf, std::string_view expected);
bool failListTooLong(DecodeContext& ctx, Step leaf);

template <Scalar T>
bool readValue(simdjson::dom::element value, T& out, Step leaf, DecodeContext& ctx) {
  const Conversion conversion = convert(value, out);
  if (conversion == Conversion::ok) return true;
  return failConversion(ctx, leaf, expectedName<T>(), value, conversion);
}

template <Record T>
bool readValue(simdjson::dom::element value, T& out, Step leaf, DecodeContext& ctx) {
  simdjson::dom::object object;
  if (value.get_object().get(object) != simdjson::SUCCESS) {
    return failConversion(ctx, leaf, expectedName<T>(), value, Conversion::wrongType);
  }
  ctx.enter(leaf);
  if (!readRecord(object, out, ctx)) return false;
  ctx.leave();
  return true;
}

// Elements of a list are never optional: a null element fails the decode, as does any element
// that fails its own rules.
template <typename T>
bool readValue(simdjson::dom::element value, std::vector<T>& out, Step leaf, DecodeContext& ctx) {
  simdjson::dom::array array;
  if (value.get_array().get(array) != simdjson::SUCCESS) {
    return failConversion(ctx, leaf, "an array", value, Conversion::wrongType);
  }
  // size() saturates at 2^24 - 1, well above the bound.
  const std::size_t size = array.size();
  if (size > kMaxListLength) return failListTooLong(ctx, leaf);
  ctx.enter(leaf);
  out.clear();
  out.reserve(size);
  std::size_t index = 0;
  for (simdjson::dom::element item : array) {
    const Step step = Step::at(index++);
    if (item.is_null()) return failNull(ctx, step, expectedName<T>());
    if (!readValue(item, out.emplace_back(), step, ctx)) return false;
  }
  ctx.leave();
  return true;
}

}  // namespace corvane::api::decoding
