#include "api/records/decoding/value_reader.h"

#include <fmt/format.h>

#include <cmath>
#include <string>

namespace corvane::api::decoding {
namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

std::string_view describe(element_type type) {
  switch (type) {
    case element_type::ARRAY:
      return "an array";
    case element_type::OBJECT:
      return "an object";
    case element_type::INT64:
    case element_type::UINT64:
    case element_type::DOUBLE:
      return "a number";
    case element_type::STRING:
      return "a string";
    case element_type::BOOL:
      return "a boolean";
    case element_type::NULL_VALUE:
      return "null";
  }
  return "an unknown value";
}

// 2^63 is exactly representable; every double below it and at or above -2^63 truncates into
// int64_t without overflow.
constexpr double kTwoToThe63 = 9223372036854775808.0;

}  // namespace

Conversion convert(element value, std::int64_t& out) {
  switch (value.type()) {
    case element_type::INT64:
      out = value.get_int64().value_unsafe();
      return Conversion::ok;
    case element_type::UINT64:  // only produced above INT64_MAX
      return Conversion::outOfRange;
    case element_type::DOUBLE: {
      const double number = value.get_double().value_unsafe();
      if (std::trunc(number) != number) return Conversion::notInteger;
      if (number < -kTwoToThe63 || number >= kTwoToThe63) return Conversion::outOfRange;
      out = static_cast<std::int64_t>(number);
      return Conversion::ok;
    }
    default:
      return Conversion::wrongType;
  }
}

Conversion convert(element value, double& out) {
  switch (value.type()) {
    case element_type::INT64:
      out = static_cast<double>(value.get_int64().value_unsafe());
      return Conversion::ok;
    case element_type::UINT64:
      out = static_cast<double>(value.get_uint64().value_unsafe());
      return Conversion::ok;
    case element_type::DOUBLE:
      out = value.get_double().value_unsafe();
      return Conversion::ok;
    default:
      return Conversion::wrongType;
  }
}

Conversion convert(element value, std::string& out) {
  std::string_view text;
  if (value.get_string().get(text) != simdjson::SUCCESS) return Conversion::wrongType;
  out.assign(text);
  return Conversion::ok;
}

bool failConversion(DecodeContext& ctx, std::optional<Step> leaf, std::string_view expected,
                    element value, Conversion conversion) {
  std::string reason;
  switch (conversion) {
    case Conversion::notInteger:
      reason = fmt::format("expected an integer, got a fractional number ({})",
                           value.get_double().value_unsafe());
      break;
    case Conversion::outOfRange:
      reason = value.type() == element_type::UINT64
                   ? fmt::format("expected a 64-bit integer, got {} (out of range)",
                                 value.get_uint64().value_unsafe())
                   : fmt::format("expected a 64-bit integer, got {} (out of range)",
                                 value.get_double().value_unsafe());
      break;
    case Conversion::ok:
    case Conversion::wrongType:
      reason = fmt::format("expected {}, got {}", expected, describe(value.type()));
      break;
  }
  return ctx.fail(DecodingErrorCode::typeMismatch, leaf, reason);
}

bool failNull(DecodeContext& ctx, Step leaf, std::string_view expected) {
  return ctx.fail(DecodingErrorCode::valueNotFound, leaf,
                  fmt::format("expected {}, got null", expected));
}

bool failListTooLong(DecodeContext& ctx, Step leaf) {
  return ctx.fail(DecodingErrorCode::dataCorrupted, leaf,
                  fmt::format("list has more than {} elements", kMaxListLength));
}

}  // namespace corvane::api::decoding
