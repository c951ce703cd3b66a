#pragma once
#include <httplib.h>

#include "backend_context.h"

namespace corvane::backend {

// The link table and announcements (HTTPS only, as clients fetch them from the default host).
void registerHttpsInfoRoutes(httplib::Server& server, BackendContext& ctx);
// The domain source, IP echo and captive-portal probe, served on both listeners.
void registerCommonRoutes(httplib::Server& server, BackendContext& ctx);

}  // namespace corvane::backend
