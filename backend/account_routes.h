#pragma once
#include <httplib.h>

#include "backend_context.h"

namespace corvane::backend {

// Login, sign-up and the two steps of password recovery.
void registerAccountRoutes(httplib::Server& server, BackendContext& ctx);

}  // namespace corvane::backend
