#pragma once
// Puts every engine this build carries into the registry. One line per engine.
#include "daemon/engine/engine_registry.h"

namespace corvane::daemon::engines {

void addBuiltinEngines(engine::EngineRegistry& registry);

}  // namespace corvane::daemon::engines
