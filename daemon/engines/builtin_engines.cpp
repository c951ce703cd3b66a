#include "daemon/engines/builtin_engines.h"

#include <memory>

#include "daemon/engines/wireguard/wireguard_factory.h"

namespace corvane::daemon::engines {

void addBuiltinEngines(engine::EngineRegistry& registry) {
  registry.add(std::make_unique<wireguard::WireGuardFactory>());
}

}  // namespace corvane::daemon::engines
