// The loopback test servers and the reference backend launcher of the API tests.
#include "api/support/backend_process.cpp"  // NOLINT(bugprone-suspicious-include)
