#include "tunnelcore/profile.h"

#include "platform/secitem/file/private_file.h"

namespace corvane::tunnelcore {
namespace {

constexpr const char* kDomain = "Profile";

Error noFile(const Profile& profile) {
  return Error(kDomain, 0, "Profile has no file: profile " + std::to_string(profile.id));
}

}  // namespace

Result<std::string> Profile::read() const {
  if (path.empty()) return noFile(*this);
  auto bytes = platform::secitemfile::readPrivateFile(path, kMaxContentBytes);
  if (!bytes) return bytes.error();
  if (!bytes->has_value()) {
    return Error(kDomain, ENOENT, "profile file missing: '" + path + "'");
  }
  return std::move(**bytes);
}

Result<void> Profile::write(const std::string& content) const {
  if (path.empty()) return noFile(*this);
  if (content.size() > kMaxContentBytes) {
    return Error(kDomain, EFBIG,
                 "profile content of " + std::to_string(content.size()) + " bytes exceeds the " +
                     std::to_string(kMaxContentBytes) + "-byte limit");
  }
  return platform::secitemfile::replacePrivateFile(path, content);
}

std::chrono::seconds Profile::updatePeriod() const {
  if (autoUpdateInterval >= 1) return std::chrono::seconds(std::int64_t{autoUpdateInterval} * 60);
  return std::chrono::seconds(3600);
}

}  // namespace corvane::tunnelcore
