#pragma once
// DeviceInfo with values chosen by a test. Every identifier it makes is `vendorIdentifier`.
#include <utility>

#include "platform/device/device_info.h"

namespace corvane::platform {

class FixedDeviceInfo final : public DeviceInfo {
 public:
  struct Values {
    std::string model = "x86_64";
    std::string deviceName = "test-host";
    std::string systemVersion = "12";
    std::string appVersion = "0.1.0";
    std::optional<std::string> regionCode = "US";
    std::string vendorIdentifier = "00000000-0000-4000-8000-000000000000";
  };

  FixedDeviceInfo() = default;
  explicit FixedDeviceInfo(Values values) : values_(std::move(values)) {}

  std::string model() const override { return values_.model; }
  std::string deviceName() const override { return values_.deviceName; }
  std::string systemVersion() const override { return values_.systemVersion; }
  std::string appVersion() const override { return values_.appVersion; }
  std::optional<std::string> regionCode() const override { return values_.regionCode; }
  std::string makeVendorIdentifier() const override { return values_.vendorIdentifier; }

  Values& values() { return values_; }

 private:
  Values values_;
};

}  // namespace corvane::platform
