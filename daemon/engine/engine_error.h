#pragma once
// Why an engine refused a configuration or stopped working. `code` is one of the socket
// contract's error tokens (invalidConfig, engineMissing, engineFailed, ...), so the daemon
// passes it to clients unchanged; `message` quotes the offending line, key or program.
#include <string>
#include <utility>

#include "platform/vpn/tunneld/error_code.h"

namespace corvane::daemon::engine {

struct EngineError {
  platform::tunneld::ErrorCode code = platform::tunneld::ErrorCode::engineFailed;
  std::string message;

  static EngineError invalidConfig(std::string text) {
    return {platform::tunneld::ErrorCode::invalidConfig, std::move(text)};
  }
  static EngineError missing(std::string text) {
    return {platform::tunneld::ErrorCode::engineMissing, std::move(text)};
  }
  static EngineError failed(std::string text) {
    return {platform::tunneld::ErrorCode::engineFailed, std::move(text)};
  }
};

}  // namespace corvane::daemon::engine
