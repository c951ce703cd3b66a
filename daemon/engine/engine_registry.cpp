#include "daemon/engine/engine_registry.h"

#include <algorithm>

namespace corvane::daemon::engine {

void EngineRegistry::add(std::unique_ptr<EngineFactory> factory) {
  auto same = std::find_if(factories_.begin(), factories_.end(),
                           [&](const auto& f) { return f->name() == factory->name(); });
  if (same != factories_.end()) {
    *same = std::move(factory);
  } else {
    factories_.push_back(std::move(factory));
  }
}

const EngineFactory* EngineRegistry::find(std::string_view name) const {
  for (const auto& f : factories_) {
    if (f->name() == name) return f.get();
  }
  return nullptr;
}

std::vector<const EngineFactory*> EngineRegistry::all() const {
  std::vector<const EngineFactory*> out;
  out.reserve(factories_.size());
  for (const auto& f : factories_) out.push_back(f.get());
  return out;
}

}  // namespace corvane::daemon::engine
