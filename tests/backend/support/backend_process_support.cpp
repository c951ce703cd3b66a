// The reference backend launcher of the API tests, shared rather than copied.
#include "api/support/backend_process.cpp"  // NOLINT(bugprone-suspicious-include)
