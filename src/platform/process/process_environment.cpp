#include "platform/process/process_environment.h"

extern char** environ;

namespace corvane::platform {

ProcessEnvironment ProcessEnvironment::current() {
  ProcessEnvironment out;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view text = *entry;
    const auto equals = text.find('=');
    // An entry without '=' is malformed; execve would pass it on, but no program can read it.
    if (equals == std::string_view::npos || equals == 0) continue;
    out.values_.try_emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
  }
  return out;
}

ProcessEnvironment& ProcessEnvironment::set(const std::string& name, std::string value) {
  values_[name] = std::move(value);
  return *this;
}

ProcessEnvironment& ProcessEnvironment::unset(const std::string& name) {
  values_.erase(name);
  return *this;
}

const std::string* ProcessEnvironment::find(const std::string& name) const {
  const auto at = values_.find(name);
  return at == values_.end() ? nullptr : &at->second;
}

std::vector<std::string> ProcessEnvironment::entries() const {
  std::vector<std::string> out;
  out.reserve(values_.size());
  for (const auto& [name, value] : values_) out.push_back(name + "=" + value);
  return out;
}

}  // namespace corvane::platform
