// corvane-backend: see command_line.cpp for the options and backend_server.h for what listens.
#include <signal.h>
#include <sys/stat.h>

#include "backend/backend_app.h"
#include "backend/command_line.h"

int main(int argc, char** argv) {
  using namespace corvane::backend;
  const ParsedCommandLine parsed = parseCommandLine(argc, argv);
  if (!parsed.options) return parsed.exitCode;
  // Everything the backend writes (database, keys, log) is private to its user.
  ::umask(077);
  ::signal(SIGPIPE, SIG_IGN);
  // Block the stop signals before any thread starts, so only runBackend's sigwait receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  return runBackend(*parsed.options);
}
