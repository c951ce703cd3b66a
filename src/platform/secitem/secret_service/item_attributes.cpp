#include "platform/secitem/secret_service/item_attributes.h"

#include <charconv>

#include "platform/core/base64.h"
#include "platform/core/utf8.h"

namespace corvane::platform::secretservice {
namespace {

constexpr std::string_view kEscape = "\x01";

std::string encodeText(const std::string& text) {
  const bool plain = isValidUtf8(text) && text.find('\0') == std::string::npos &&
                     text.rfind(kEscape, 0) != 0;
  return plain ? text : std::string(kEscape) + base64Encode(text);
}

std::optional<std::string> decodeText(const std::string& text) {
  if (text.rfind(kEscape, 0) != 0) return text;
  return base64DecodeStrict(std::string_view(text).substr(kEscape.size()));
}

std::optional<std::uint32_t> number(const std::string& text, std::uint32_t low, std::uint32_t high) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

const std::string* find(const Attributes& attributes, const char* name) {
  const auto found = attributes.find(name);
  return found == attributes.end() ? nullptr : &found->second;
}

}  // namespace

Attributes encodeAttributes(const SecItem& item) {
  Attributes out{
      {"class", std::to_string(static_cast<int>(item.itemClass))},
      {"service", encodeText(item.service)},
      {"group", encodeText(item.accessGroup)},
      {"account", encodeText(item.account)},
      {"synchronizable", item.synchronizable ? "1" : "0"},
      {"accessible", std::to_string(static_cast<int>(item.accessible))},
  };
  if (item.accessControlFlags) out["access-control"] = std::to_string(*item.accessControlFlags);
  if (item.generic) out["generic"] = base64Encode(std::string(item.generic->begin(), item.generic->end()));
  if (item.label) out["label"] = encodeText(*item.label);
  if (item.comment) out["comment"] = encodeText(*item.comment);
  return out;
}

std::optional<SecItem> decodeAttributes(const Attributes& attributes) {
  const std::string* itemClass = find(attributes, "class");
  const std::string* service = find(attributes, "service");
  const std::string* group = find(attributes, "group");
  const std::string* account = find(attributes, "account");
  const std::string* sync = find(attributes, "synchronizable");
  const std::string* accessible = find(attributes, "accessible");
  if (!itemClass || !service || !group || !account || !sync || !accessible) return std::nullopt;

  SecItem item;
  const auto classNumber = number(*itemClass, 1, 2);
  const auto syncNumber = number(*sync, 0, 1);
  const auto accessibleNumber = number(*accessible, 1, 7);
  auto serviceText = decodeText(*service);
  auto groupText = decodeText(*group);
  auto accountText = decodeText(*account);
  if (!classNumber || !syncNumber || !accessibleNumber || !serviceText || !groupText || !accountText) {
    return std::nullopt;
  }
  item.itemClass = static_cast<SecItemClass>(*classNumber);
  item.synchronizable = *syncNumber == 1;
  item.accessible = static_cast<SecAccessible>(*accessibleNumber);
  item.service = std::move(*serviceText);
  item.accessGroup = std::move(*groupText);
  item.account = std::move(*accountText);

  if (const std::string* flags = find(attributes, "access-control")) {
    const auto value = number(*flags, 0, UINT32_MAX);
    if (!value) return std::nullopt;
    item.accessControlFlags = *value;
  }
  if (const std::string* generic = find(attributes, "generic")) {
    const auto bytes = base64DecodeStrict(*generic);
    if (!bytes) return std::nullopt;
    item.generic = SecData(bytes->begin(), bytes->end());
  }
  if (const std::string* label = find(attributes, "label")) {
    item.label = decodeText(*label);
    if (!item.label) return std::nullopt;
  }
  if (const std::string* comment = find(attributes, "comment")) {
    item.comment = decodeText(*comment);
    if (!item.comment) return std::nullopt;
  }
  return item;
}

std::string displayLabel(const SecItem& item) {
  const std::string text = item.label.value_or(item.service + " (" + item.account + ")");
  // The label is a D-Bus string too.
  return isValidUtf8(text) && text.find('\0') == std::string::npos ? text : encodeText(text);
}

}  // namespace corvane::platform::secretservice
