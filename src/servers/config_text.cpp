#include "servers/config_text.h"

#include "platform/core/base64.h"
#include "platform/core/utf8.h"

namespace corvane::servers {

std::optional<std::string> decodeServerConfig(std::string_view base64) {
  auto bytes = platform::base64DecodeStrict(base64);
  if (!bytes || !platform::isValidUtf8(*bytes)) return std::nullopt;
  return bytes;
}

}  // namespace corvane::servers
