#pragma once
// What the system reports about the device it runs on. LinuxDeviceInfo reads uname(2),
// /etc/os-release, the project version and LC_ALL/LC_MESSAGES/LANG; tests build a
// FixedDeviceInfo with chosen values.
#include <optional>
#include <string>

namespace corvane::platform {

class DeviceInfo {
 public:
  virtual ~DeviceInfo() = default;
  // uname machine field, read as ASCII and trimmed of control characters at both ends;
  // empty when it is not ASCII.
  virtual std::string model() const = 0;
  // uname node name, same treatment.
  virtual std::string deviceName() const = 0;
  // Operating system version text, e.g. "12" (VERSION_ID of /etc/os-release, else uname release).
  virtual std::string systemVersion() const = 0;
  // The application's version string.
  virtual std::string appVersion() const = 0;
  // Region of the current locale, e.g. "DE" for de_DE.UTF-8; none for C, POSIX or no region.
  virtual std::optional<std::string> regionCode() const = 0;
  // A fresh per-install device identifier in the standard 36-character form (random UUID v4).
  virtual std::string makeVendorIdentifier() const = 0;
};

}  // namespace corvane::platform
