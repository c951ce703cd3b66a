#pragma once
// The field toolkit every record decoder is written with: a record is a table of
// `field<&Record::member, Rule>("json_key")` entries, and readFields() walks a JSON object
// against that table.
//
// Keys may come in any order; unknown keys are skipped (their values were still validated by
// the parser). A duplicated key is read every time it occurs, so every occurrence must satisfy
// the field's rule and the last one decides the value, as with a dictionary built from the
// object.
#include <simdjson.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "api/records/decoding/decode_context.h"
#include "api/records/decoding/value_reader.h"

namespace corvane::api::decoding {

// What a missing key, a null and a wrongly typed value mean for one field.
enum class FieldRule {
  // missing → absent, null → absent, wrong type → decode fails. Every record but User.
  plain,
  // missing → absent, null or wrong type → decode fails. User's fields.
  strict,
  // missing → absent, null → decode fails, wrong type → absent. User's "expire_in_days".
  absentOnWrongType,
  // missing, null or wrong type → absent. User's "anti_tracker", "adult_content_blocker".
  lenient,
  // missing, null or wrong type → decode fails. InAppPayment's two lists.
  required,
};

template <typename Record>
struct Field {
  std::string_view key;
  FieldRule rule;
  bool (*read)(simdjson::dom::element value, Record& record, std::string_view key,
               DecodeContext& ctx);
};

template <typename Member>
struct MemberTraits;
template <typename R, typename V>
struct MemberTraits<std::optional<V> R::*> {
  using Record = R;
  using Value = V;
};

template <auto Member, FieldRule Rule>
bool readField(simdjson::dom::element value,
               typename MemberTraits<decltype(Member)>::Record& record, std::string_view key,
               DecodeContext& ctx) {
  using Value = typename MemberTraits<decltype(Member)>::Value;
  auto& slot = record.*Member;
  const Step leaf = Step::of(key);
  if (value.is_null()) {
    if constexpr (Rule == FieldRule::plain || Rule == FieldRule::lenient) {
      slot.reset();
      return true;
    } else {
      return failNull(ctx, leaf, expectedName<Value>());
    }
  } else if constexpr (Rule == FieldRule::absentOnWrongType || Rule == FieldRule::lenient) {
    static_assert(Scalar<Value>, "only scalar fields fall back to absent");
    Value converted{};
    if (convert(value, converted) == Conversion::ok) {
      slot = std::move(converted);
    } else {
      slot.reset();
    }
    return true;
  } else {
    return readValue(value, slot.emplace(), leaf, ctx);
  }
}

template <auto Member, FieldRule Rule = FieldRule::plain>
constexpr Field<typename MemberTraits<decltype(Member)>::Record> field(std::string_view key) {
  return {key, Rule, &readField<Member, Rule>};
}

// Reads `object` into `record` by the table. Returns false (with the error in ctx) on the first
// failure, including a required key that never occurred.
template <typename Record, std::size_t N>
bool readFields(simdjson::dom::object object, Record& record,
                const std::array<Field<Record>, N>& fields, DecodeContext& ctx) {
  static_assert(N <= 64, "presence is tracked in one 64-bit mask");
  std::uint64_t seen = 0;
  // Answers nearly always list keys in one fixed order, so the entry after the last match is
  // tried first; a full scan finds keys in any other order.
  std::size_t next = 0;
  for (const auto member : object) {
    const std::string_view key = member.key;
    std::size_t index = N;
    if (next < N && fields[next].key == key) {
      index = next;
    } else {
      for (std::size_t i = 0; i < N; ++i) {
        if (fields[i].key == key) {
          index = i;
          break;
        }
      }
      if (index == N) continue;  // not one of ours
    }
    next = index + 1;
    seen |= std::uint64_t{1} << index;
    if (!fields[index].read(member.value, record, fields[index].key, ctx)) return false;
  }
  for (std::size_t i = 0; i < N; ++i) {
    if (fields[i].rule == FieldRule::required && (seen & (std::uint64_t{1} << i)) == 0) {
      return ctx.fail(DecodingErrorCode::keyNotFound, Step::of(fields[i].key),
                      "required key is missing");
    }
  }
  return true;
}

}  // namespace corvane::api::decoding
