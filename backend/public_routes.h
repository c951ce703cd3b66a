#pragma once

#include "backend/backend_context.h"
#include "backend/router.h"

namespace corvane::backend {

// The link table and announcements (HTTPS only, as clients fetch them from the default host).
void registerHttpsInfoRoutes(Router& server, BackendContext& ctx);
// The domain source, IP echo and captive-portal probe, served on both listeners.
void registerCommonRoutes(Router& server, BackendContext& ctx);

}  // namespace corvane::backend
