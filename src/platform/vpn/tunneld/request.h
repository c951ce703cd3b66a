#pragma once
// One request line, decoded. Only the fields of its op are set.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/vpn/tunneld/manager.h"
#include "platform/vpn/tunneld/op.h"
#include "platform/vpn/tunneld/profile.h"

namespace corvane::platform::tunneld {

struct Request {
  std::int64_t id = 0;
  Op op = Op::status;
  std::optional<std::int64_t> version;   // hello
  std::optional<Manager> manager;        // managers.save
  std::optional<std::string> managerId;  // managers.remove, start
  std::optional<Profile> profile;        // start

  friend bool operator==(const Request&, const Request&) = default;
};

}  // namespace corvane::platform::tunneld
