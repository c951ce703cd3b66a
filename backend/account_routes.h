#pragma once
#include "backend/backend_context.h"
#include "backend/router.h"

namespace corvane::backend {

// Login, sign-up and the two steps of password recovery.
void registerAccountRoutes(Router& router, BackendContext& ctx);

}  // namespace corvane::backend
