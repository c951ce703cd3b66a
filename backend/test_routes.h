#pragma once
#include <httplib.h>

#include "backend_context.h"

namespace corvane::backend {

// GET /test/reset-code?username=NAME answers {"username", "code"} for a pending reset code.
// Registered only on the --test-port listener, which always binds 127.0.0.1 whatever --bind
// says: a separate loopback socket cannot be reached from another host even when the API is
// exposed, which a check of the peer address on a shared socket could not promise behind a
// local proxy.
void registerTestRoutes(httplib::Server& server, BackendContext& ctx);

}  // namespace corvane::backend
