#pragma once
// The account a run's manager holds, for engines whose server asks for one (OpenVPN's
// auth-user-pass). Never logged, never put on a command line.
#include <string>

namespace corvane::daemon::engine {

struct Credentials {
  std::string username;
  std::string password;
};

}  // namespace corvane::daemon::engine
