#pragma once
// The power button pressed from the command line, waited on until the tunnel settles (at most
// a minute), then the dashboard's status printed. Does nothing but print when the tunnel is
// already as wanted.
#include "command.h"

namespace corvane::cli {

int runPower(const GlobalOptions& global, bool wantUp);

}  // namespace corvane::cli
