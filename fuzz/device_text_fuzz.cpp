// Feeds arbitrary bytes to the device text rules (identification fields, locale names,
// os-release text) and checks the promises their callers rely on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/device/device_text.h"

namespace {

bool isControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

void require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane::platform;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::string trimmed = asciiTrimmed(bytes);
  if (!trimmed.empty()) {
    require(!isControl(trimmed.front()) && !isControl(trimmed.back()));
    require(bytes.find(trimmed) != std::string_view::npos);
  }

  if (const auto region = regionFromLocale(bytes)) {
    const bool letters = region->size() == 2 && region->find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos;
    const bool digits = region->size() == 3 && region->find_first_not_of("0123456789") == std::string::npos;
    require(letters || digits);
  }

  if (const auto version = osReleaseVersionId(bytes)) {
    require(!version->empty());
  }
  return 0;
}
