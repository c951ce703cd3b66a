#pragma once
#include "backend/backend_options.h"

namespace corvane::backend {

// The whole backend run: data folder, log, TLS material, accounts, catalogue (demo or file),
// listeners, the READY line on stdout, then serving until SIGINT or SIGTERM. The caller must
// have blocked both signals in every thread (main does so before anything starts).
// Returns the process exit code; failures are printed on stderr.
int runBackend(const BackendOptions& options);

}  // namespace corvane::backend
