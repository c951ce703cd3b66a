#pragma once

#include "backend/backend_context.h"
#include "backend/router.h"

namespace corvane::backend {

// GET /test/reset-code?username=NAME answers {"username", "code"} for a pending reset code.
// GET /test/wireguard-peers answers {"peers": [{"username", "vpn_server_id", "ip_id",
// "public_key", "allowed_ips"}]}: the client keys handed out, for a test's WireGuard server.
// Registered only on the --test-port listener, which always binds 127.0.0.1 whatever --bind
// says: a separate loopback socket cannot be reached from another host even when the API is
// exposed, which a check of the peer address on a shared socket could not promise behind a
// local proxy.
void registerTestRoutes(Router& server, BackendContext& ctx);

}  // namespace corvane::backend
