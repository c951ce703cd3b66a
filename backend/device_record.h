#pragma once
#include <cstdint>
#include <string>

namespace corvane::backend {

// What a login tells about the device that signs in (every login body key except the
// credentials), plus what the store adds. The devices list echoes these back.
struct DeviceRecord {
  std::int64_t id = 0;
  std::int64_t accountId = 0;
  std::string udid;
  std::int64_t deviceType = 0;
  std::string playerId;
  std::int64_t appId = 0;
  std::string vpnAppVersion;
  std::string brand;
  std::string model;
  std::string osName;
  std::string osPlatform;
  std::string deviceName;
  std::string osVersion;
  std::int64_t isRooted = 0;
  std::int64_t createdAt = 0;
};

}  // namespace corvane::backend
