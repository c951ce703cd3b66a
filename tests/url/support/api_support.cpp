// The scriptable loopback servers and the throw-away CA of the API tests, built into this
// test program too.
#include "api/support/script_server.cpp"  // NOLINT(bugprone-suspicious-include)
#include "api/support/test_pki.cpp"       // NOLINT(bugprone-suspicious-include)
