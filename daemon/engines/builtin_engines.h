#pragma once
// Puts every engine this build carries into the registry. One line per engine.
#include "daemon/engine/engine_registry.h"
#include "platform/log/log.h"

namespace corvane::daemon::engines {

// `log` gets what an engine tells once per daemon (WireGuard: which WireGuard runs and why).
void addBuiltinEngines(engine::EngineRegistry& registry, platform::Log log = platform::Log::null());

}  // namespace corvane::daemon::engines
