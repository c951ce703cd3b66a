#pragma once
// DeviceInfo with chosen values, so request bodies can be checked key by key.
#include <atomic>
#include <optional>
#include <string>

#include "platform/device/device_info.h"

namespace corvane::test {

class TestDevice final : public platform::DeviceInfo {
 public:
  std::string modelText = "x86_64";
  std::string nodeName = "corvane-test-host";
  std::string version = "12";
  std::string app = "0.1.0";
  std::optional<std::string> region = "DE";
  std::string vendorId = "6F9619FF-8B86-D011-B42D-00C04FC964FF";
  mutable std::atomic<int> identifiersMade{0};

  std::string model() const override { return modelText; }
  std::string deviceName() const override { return nodeName; }
  std::string systemVersion() const override { return version; }
  std::string appVersion() const override { return app; }
  std::optional<std::string> regionCode() const override { return region; }
  std::string makeVendorIdentifier() const override {
    ++identifiersMade;
    return vendorId;
  }
};

}  // namespace corvane::test
