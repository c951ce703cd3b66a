#pragma once
// DeviceInfo from the running Linux system: uname(2), os-release, the build's version and
// the locale environment. Every call reads afresh.
#include <filesystem>
#include <vector>

#include "platform/device/device_info.h"

namespace corvane::platform {

class LinuxDeviceInfo final : public DeviceInfo {
 public:
  // os-release(5): /etc/os-release first, /usr/lib/os-release when it is missing.
  LinuxDeviceInfo();
  // Reads the os-release text from `osReleaseFiles` in turn instead (tests).
  explicit LinuxDeviceInfo(std::vector<std::filesystem::path> osReleaseFiles);

  std::string model() const override;
  std::string deviceName() const override;
  std::string systemVersion() const override;
  std::string appVersion() const override;
  std::optional<std::string> regionCode() const override;
  std::string makeVendorIdentifier() const override;

 private:
  std::vector<std::filesystem::path> osReleaseFiles_;
};

}  // namespace corvane::platform
