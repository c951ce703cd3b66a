#pragma once
// write(2) to a pipe whose reader may be gone, answering EPIPE instead of raising SIGPIPE,
// without changing the process's SIGPIPE disposition (a library must not).
#include <sys/types.h>

#include <cstddef>

namespace corvane::platform {

ssize_t writeWithoutSigpipe(int fd, const void* data, std::size_t size);

}  // namespace corvane::platform
