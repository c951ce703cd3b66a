#pragma once
// The engines the daemon can run, looked up by protocol name. Built once at start-up by the
// composition root (see engines/builtin_engines.h) and read-only afterwards.
#include <memory>
#include <string_view>
#include <vector>

#include "daemon/engine/engine_factory.h"

namespace corvane::daemon::engine {

class EngineRegistry {
 public:
  // A second factory with the same name replaces the first (tests swap in their own).
  void add(std::unique_ptr<EngineFactory> factory);
  // nullptr when no engine has that name.
  const EngineFactory* find(std::string_view name) const;
  std::vector<const EngineFactory*> all() const;

 private:
  std::vector<std::unique_ptr<EngineFactory>> factories_;
};

}  // namespace corvane::daemon::engine
