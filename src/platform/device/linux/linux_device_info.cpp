#include "platform/device/linux/linux_device_info.h"

#include <sys/utsname.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "corvane/build_config.h"
#include "platform/device/device_text.h"

namespace corvane::platform {
namespace {

// One field of the identification record, all of its fixed size, through the trim rule.
template <std::size_t N>
std::string unameField(char (utsname::*field)[N]) {
  utsname record{};
  if (::uname(&record) != 0) {
    return {};
  }
  return asciiTrimmed(std::string_view(record.*field, N));
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

LinuxDeviceInfo::LinuxDeviceInfo() : LinuxDeviceInfo({"/etc/os-release", "/usr/lib/os-release"}) {}

LinuxDeviceInfo::LinuxDeviceInfo(std::vector<std::filesystem::path> osReleaseFiles)
    : osReleaseFiles_(std::move(osReleaseFiles)) {}

std::string LinuxDeviceInfo::model() const { return unameField(&utsname::machine); }

std::string LinuxDeviceInfo::deviceName() const { return unameField(&utsname::nodename); }

std::string LinuxDeviceInfo::systemVersion() const {
  for (const auto& path : osReleaseFiles_) {
    if (auto text = readFile(path)) {
      // The first file that exists decides, as os-release(5) says, even without VERSION_ID
      // (rolling releases have none); then the kernel release stands in.
      if (auto version = osReleaseVersionId(*text)) {
        return *version;
      }
      break;
    }
  }
  return unameField(&utsname::release);
}

std::string LinuxDeviceInfo::appVersion() const { return build::kVersion; }

std::optional<std::string> LinuxDeviceInfo::regionCode() const {
  return regionFromLocale(
      chosenLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
}

std::string LinuxDeviceInfo::makeVendorIdentifier() const {
  std::array<std::uint8_t, 16> bytes{};
  std::ifstream urandom("/dev/urandom", std::ios::binary);
  if (!urandom.read(reinterpret_cast<char*>(bytes.data()), bytes.size())) {
    // Without /dev/urandom (a bare chroot), the library's own entropy source.
    std::random_device device;
    for (auto& byte : bytes) {
      byte = static_cast<std::uint8_t>(device());
    }
  }
  return formatUuidV4(bytes);
}

}  // namespace corvane::platform
