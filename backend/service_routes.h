#pragma once
#include <httplib.h>

#include "backend_context.h"

namespace corvane::backend {

// WireGuard configurations, the signed-in devices list and signing a device out.
void registerServiceRoutes(httplib::Server& server, BackendContext& ctx);

}  // namespace corvane::backend
