#include "api/untyped_json.h"

#include <simdjson.h>

#include "api/api_errors.h"
#include "api/records/decoding/out_of_range_numbers.h"

namespace corvane::api {
namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

void appendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  out += '"';
}

// Dictionary notation: strings quoted, numbers bare, null as <null>, arrays [a, b],
// objects ["k": v] and [:] when empty. Stops adding once the text is long enough.
void describe(std::string& out, element value) {
  if (out.size() > kMaxDescriptionLength) {
    return;
  }
  switch (value.type()) {
    case element_type::OBJECT: {
      simdjson::dom::object object;
      if (value.get(object) != simdjson::SUCCESS) return;
      if (object.size() == 0) {
        out += "[:]";
        return;
      }
      out += '[';
      bool first = true;
      for (auto field : object) {
        if (!first) out += ", ";
        first = false;
        appendQuoted(out, field.key);
        out += ": ";
        describe(out, field.value);
        if (out.size() > kMaxDescriptionLength) return;
      }
      out += ']';
      return;
    }
    case element_type::ARRAY: {
      simdjson::dom::array array;
      if (value.get(array) != simdjson::SUCCESS) return;
      out += '[';
      bool first = true;
      for (auto item : array) {
        if (!first) out += ", ";
        first = false;
        describe(out, item);
        if (out.size() > kMaxDescriptionLength) return;
      }
      out += ']';
      return;
    }
    case element_type::STRING:
      appendQuoted(out, value.get_string().value_unsafe());
      return;
    case element_type::NULL_VALUE:
      out += "<null>";
      return;
    case element_type::BOOL:
      out += value.get_bool().value_unsafe() ? "1" : "0";
      return;
    default:
      out += simdjson::minify(value);
      return;
  }
}

}  // namespace

std::optional<std::string> UntypedJson::string(std::string_view key) const {
  auto found = strings.find(key);
  if (found == strings.end()) {
    return std::nullopt;
  }
  return found->second;
}

Result<UntypedJson> parseUntypedJson(std::string_view body) {
  simdjson::dom::parser parser;
  element root;
  simdjson::error_code error = parser.parse(body.data(), body.size()).get(root);
  if (error == simdjson::NUMBER_ERROR) {
    if (auto tamed = decoding::tameOutOfRangeNumbers(body)) {
      error = parser.parse(tamed->data(), tamed->size()).get(root);
    }
  }
  if (error != simdjson::SUCCESS) {
    return Error(kJsonErrorDomain, static_cast<std::int64_t>(error), simdjson::error_message(error));
  }
  const element_type type = root.type();
  if (type != element_type::OBJECT && type != element_type::ARRAY) {
    return Error(kJsonErrorDomain, static_cast<std::int64_t>(simdjson::TAPE_ERROR),
                 "the top-level value is neither an object nor an array");
  }
  UntypedJson json;
  describe(json.description, root);
  if (json.description.size() > kMaxDescriptionLength) {
    json.description.resize(kMaxDescriptionLength);
    // Never end the cut text inside a UTF-8 sequence.
    while (!json.description.empty() && (static_cast<unsigned char>(json.description.back()) & 0xC0) == 0x80) {
      json.description.pop_back();
    }
    if (!json.description.empty() && (static_cast<unsigned char>(json.description.back()) & 0x80) != 0) {
      json.description.pop_back();
    }
    json.description += "…";
  }
  if (type == element_type::OBJECT) {
    json.isObject = true;
    simdjson::dom::object object;
    if (root.get(object) != simdjson::SUCCESS) return json;
    for (auto field : object) {
      std::string_view text;
      if (field.value.get_string().get(text) == simdjson::SUCCESS) {
        json.strings.insert_or_assign(std::string(field.key), std::string(text));
      } else {
        json.strings.erase(std::string(field.key));  // a later non-string value replaces it
      }
    }
  }
  return json;
}

}  // namespace corvane::api
