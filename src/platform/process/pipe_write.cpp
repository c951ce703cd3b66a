#include "platform/process/pipe_write.h"

#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace corvane::platform {

ssize_t writeWithoutSigpipe(int fd, const void* data, std::size_t size) {
  // SIGPIPE from write(2) is sent to the writing thread, so blocking it here and taking the
  // one this write raised (if it was not already pending) leaves every other thread as it was.
  sigset_t pipeSignal;
  sigset_t previous;
  sigset_t pending;
  ::sigemptyset(&pipeSignal);
  ::sigaddset(&pipeSignal, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  ::sigpending(&pending);
  const bool alreadyPending = ::sigismember(&pending, SIGPIPE) == 1;
  const ssize_t n = ::write(fd, data, size);
  const int why = errno;
  if (n < 0 && why == EPIPE && !alreadyPending) {
    const timespec now{0, 0};
    while (::sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
    }
  }
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  errno = why;
  return n;
}

}  // namespace corvane::platform
