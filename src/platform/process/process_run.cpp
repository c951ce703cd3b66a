#include "platform/process/process_run.h"

#include <poll.h>

#include <cerrno>

#include "platform/process/pipe_write.h"
#include "platform/process/process.h"

namespace corvane::platform {
namespace {

using Clock = std::chrono::steady_clock;

class RunCollector {
 public:
  RunCollector(Process& process, std::size_t limit, ProcessRun& run) : process_(process), limit_(limit), run_(run) {}

  // Reads what the stream holds now; false at its end.
  bool pull(Process::Stream stream) {
    std::string& sink = stream == Process::Stream::out ? run_.out : run_.err;
    while (true) {
      auto chunk = process_.readSome(stream);
      if (!chunk) return false;
      if (chunk->empty()) return true;
      const std::size_t room = limit_ > sink.size() ? limit_ - sink.size() : 0;
      if (chunk->size() > room) run_.truncated = true;
      sink.append(*chunk, 0, std::min(room, chunk->size()));
    }
  }

 private:
  Process& process_;
  std::size_t limit_;
  ProcessRun& run_;
};

}  // namespace

Result<ProcessRun> runProcess(ProcessOptions options, const std::string& input, RunLimits limits) {
  options.stdinStream = ChildStream::piped();
  options.stdoutStream = ChildStream::piped();
  options.stderrStream = ChildStream::piped();
  auto started = Process::start(std::move(options));
  if (!started) return started.error();
  Process& process = *started;
  const auto deadline = Clock::now() + limits.timeout;
  ProcessRun run;
  RunCollector collector(process, limits.outputLimit, run);

  std::string_view unsent = input;
  if (unsent.empty()) process.closeInput();
  bool outOpen = true;
  bool errOpen = true;
  bool ended = false;
  while ((outOpen || errOpen) && !ended && Clock::now() < deadline) {
    pollfd fds[4] = {{process.stdinFd(), POLLOUT, 0},
                     {outOpen ? process.stdoutFd() : -1, POLLIN, 0},
                     {errOpen ? process.stderrFd() : -1, POLLIN, 0},
                     {process.exitFd(), POLLIN, 0}};
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    // Without a pidfd the child's end is noticed by polling for it every 10 ms.
    const int waitMs = static_cast<int>(std::min<long long>(left, process.exitFd() >= 0 ? 60'000 : 10));
    if (::poll(fds, 4, std::max(waitMs, 0)) < 0 && errno != EINTR) break;
    if (fds[0].fd >= 0 && fds[0].revents != 0) {
      const ssize_t n = writeWithoutSigpipe(fds[0].fd, unsent.data(), unsent.size());
      if (n > 0) unsent.remove_prefix(static_cast<std::size_t>(n));
      // A child that stops reading (EPIPE) simply gets no more input.
      if (unsent.empty() || (n < 0 && errno != EAGAIN && errno != EINTR)) process.closeInput();
    }
    if (fds[1].fd >= 0 && fds[1].revents != 0) outOpen = collector.pull(Process::Stream::out);
    if (fds[2].fd >= 0 && fds[2].revents != 0) errOpen = collector.pull(Process::Stream::err);
    ended = (fds[3].fd >= 0 && fds[3].revents != 0) || (fds[3].fd < 0 && !process.running());
  }
  // Whatever the child wrote before it ended is already in the pipes.
  if (outOpen) collector.pull(Process::Stream::out);
  if (errOpen) collector.pull(Process::Stream::err);
  const auto left = std::max<Clock::duration>(deadline - Clock::now(), Clock::duration::zero());
  if (auto done = process.waitFor(left)) {
    run.exit = *done;
  } else {
    run.timedOut = true;
    run.exit = process.waitOrKill(Clock::duration::zero());
  }
  return run;
}

}  // namespace corvane::platform
