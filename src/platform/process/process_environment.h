#pragma once
// A child's environment built from this process's own: names set, replaced or removed
// before the child starts, without touching this process's environment.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::platform {

class ProcessEnvironment {
 public:
  // This process's environment as it is now.
  static ProcessEnvironment current();
  // Nothing at all (a child that must not see the parent's variables).
  static ProcessEnvironment empty() { return {}; }

  ProcessEnvironment& set(const std::string& name, std::string value);
  ProcessEnvironment& unset(const std::string& name);
  // The value of `name`, or nothing.
  const std::string* find(const std::string& name) const;

  // "NAME=value" entries, sorted by name: what ProcessOptions::environment takes.
  std::vector<std::string> entries() const;

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace corvane::platform
