// The tunnel service's namespace testbeds, built into this test program too.
#include "daemon/support/command.cpp"            // NOLINT(bugprone-suspicious-include)
#include "daemon/support/namespace_testbed.cpp"  // NOLINT(bugprone-suspicious-include)
#include "daemon/support/net_namespace.cpp"      // NOLINT(bugprone-suspicious-include)
#include "daemon/support/wireguard_testbed.cpp"  // NOLINT(bugprone-suspicious-include)
