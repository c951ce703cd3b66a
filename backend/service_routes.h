#pragma once

#include "backend/backend_context.h"
#include "backend/router.h"

namespace corvane::backend {

// WireGuard configurations, the signed-in devices list and signing a device out.
void registerServiceRoutes(Router& server, BackendContext& ctx);

}  // namespace corvane::backend
