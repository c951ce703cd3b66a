#pragma once
// The error tokens of the tunnel service's answers ({"ok":false,"error":{"code":...}}).
#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace corvane::platform::tunneld {

enum class ErrorCode {
  badRequest,          // not a JSON object, a field of the wrong type, a required field missing
  tooLarge,            // a line over kMaxLineBytes; the connection closes after the answer
  forbidden,           // the caller is neither root nor in group corvane
  unsupportedVersion,  // hello with a version the daemon does not speak
  unknownOp,           // an op the daemon does not know
  notFound,            // no manager with that id for the calling uid
  invalidConfig,       // the engine refused the configuration text (the message quotes it)
  unknownEngine,       // a profile names an engine the daemon does not have
  engineMissing,       // the engine's program is not installed
  engineFailed,        // the engine exited or could not build its data path
  busy,                // another uid's tunnel holds the slot
  internal,            // the daemon's own fault (state store, netlink); the message says which
};

inline constexpr std::array<std::pair<ErrorCode, std::string_view>, 12> kErrorCodeTokens{{
    {ErrorCode::badRequest, "badRequest"},
    {ErrorCode::tooLarge, "tooLarge"},
    {ErrorCode::forbidden, "forbidden"},
    {ErrorCode::unsupportedVersion, "unsupportedVersion"},
    {ErrorCode::unknownOp, "unknownOp"},
    {ErrorCode::notFound, "notFound"},
    {ErrorCode::invalidConfig, "invalidConfig"},
    {ErrorCode::unknownEngine, "unknownEngine"},
    {ErrorCode::engineMissing, "engineMissing"},
    {ErrorCode::engineFailed, "engineFailed"},
    {ErrorCode::busy, "busy"},
    {ErrorCode::internal, "internal"},
}};

constexpr std::string_view errorCodeToken(ErrorCode code) {
  for (const auto& [c, token] : kErrorCodeTokens) {
    if (c == code) return token;
  }
  return "internal";
}

constexpr std::optional<ErrorCode> errorCodeFromToken(std::string_view token) {
  for (const auto& [c, t] : kErrorCodeTokens) {
    if (t == token) return c;
  }
  return std::nullopt;
}

}  // namespace corvane::platform::tunneld
