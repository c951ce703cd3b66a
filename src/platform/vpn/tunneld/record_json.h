#pragma once
// JSON reading and writing of the contract's records, for LineCodec only. The reader keeps
// the first problem it meets, with the field's path and the offending value quoted.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include "platform/vpn/tunneld/contract.h"

namespace corvane::platform::tunneld {

class RecordReader {
 public:
  bool failed() const { return !problem_.empty(); }
  const std::string& problem() const { return problem_; }
  void fail(std::string text);

  // Each reads `key` of `object` (path names the object for messages, e.g. "manager").
  // Absent or null: nullopt without a problem. Present with another type: a problem.
  std::optional<std::string> text(simdjson::dom::object object, std::string_view path, std::string_view key);
  std::optional<std::int64_t> integer(simdjson::dom::object object, std::string_view path, std::string_view key);
  std::optional<std::uint64_t> count(simdjson::dom::object object, std::string_view path, std::string_view key);
  std::optional<bool> flag(simdjson::dom::object object, std::string_view path, std::string_view key);
  std::optional<simdjson::dom::object> child(simdjson::dom::object object, std::string_view path, std::string_view key);

  std::optional<Manager> manager(simdjson::dom::object object, std::string_view path);
  std::optional<Profile> profile(simdjson::dom::object object, std::string_view path);
  TunnelStatus status(simdjson::dom::object object);
  std::optional<ErrorInfo> errorInfo(simdjson::dom::object object, std::string_view path);

 private:
  std::string problem_;
};

// The value as a short quotation for an error message (at most 80 characters).
std::string quoteJson(simdjson::dom::element value);

nlohmann::ordered_json toJson(const Manager& manager);
nlohmann::ordered_json toJson(const ErrorInfo& error);
// Adds the status fields to `out` (answers and events carry them at the top level).
void addStatusFields(nlohmann::ordered_json& out, const TunnelStatus& status);

}  // namespace corvane::platform::tunneld
