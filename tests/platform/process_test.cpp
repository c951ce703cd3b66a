#include "platform/process/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/mainloop/asio/asio_main_loop.h"
#include "platform/process/process_environment.h"
#include "platform/process/process_run.h"
#include "platform/support/child_process.h"
#include "platform/support/scratch_folder.h"

namespace corvane::platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Only a hang reaches these.
constexpr auto kLimit = seconds(20);

std::string probe() { return testing::programPath("process_probe").string(); }

ProcessOptions options(std::vector<std::string> argv) {
  ProcessOptions out;
  out.argv = std::move(argv);
  return out;
}

ProcessRun runOrFail(ProcessOptions what, const std::string& input = {}, RunLimits limits = {}) {
  auto run = runProcess(std::move(what), input, limits);
  EXPECT_TRUE(run.ok()) << (run ? "" : run.error().toString());
  return run ? *run : ProcessRun{};
}

// True when `pid` no longer runs (gone, or a zombie waiting for whoever adopted it).
bool notRunning(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  const auto close = line.rfind(')');
  return close != std::string::npos && line.size() > close + 2 && line[close + 2] == 'Z';
}

struct StartFailure {
  const char* name;
  ProcessOptions options;
  int code;
  const char* quoted;  // the message quotes the bad input
};

class ProcessStartFailure : public ::testing::TestWithParam<StartFailure> {};

TEST_P(ProcessStartFailure, FailsWithTheErrnoAndQuotesTheInput) {
  auto started = Process::start(GetParam().options);
  ASSERT_FALSE(started.ok());
  EXPECT_EQ(started.error().code, GetParam().code);
  EXPECT_NE(started.error().description.find(GetParam().quoted), std::string::npos) << started.error().description;
}

ProcessOptions withFolder(const char* folder) {
  auto out = options({"/bin/true"});
  out.workingFolder = folder;
  return out;
}
ProcessOptions withStdin(int fd) {
  auto out = options({"/bin/true"});
  out.stdinStream = ChildStream::from(fd);
  return out;
}
ProcessOptions withPassFd(int fd) {
  auto out = options({"/bin/true"});
  out.passFds = {fd};
  return out;
}
ProcessOptions withPath(const char* path) {
  auto out = options({"true"});
  out.environment = std::vector<std::string>{std::string("PATH=") + path};
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProcessStartFailure,
    ::testing::Values(StartFailure{"EmptyArgv", options({}), EINVAL, "empty"},
                      StartFailure{"UnknownName", options({"corvane-no-such-program"}), ENOENT,
                                   "`corvane-no-such-program'"},
                      StartFailure{"MissingPath", options({"/nonexistent/tool"}), ENOENT, "`/nonexistent/tool'"},
                      StartFailure{"NotExecutable", options({"/etc/passwd"}), EACCES, "`/etc/passwd'"},
                      StartFailure{"AFolder", options({"/usr/bin"}), EACCES, "`/usr/bin'"},
                      // The child's PATH decides, and relative entries are never searched.
                      StartFailure{"ChildPathWithoutIt", withPath("/nonexistent:.:"), ENOENT, "`true'"},
                      StartFailure{"MissingFolder", withFolder("/nonexistent/folder"), ENOENT,
                                   "`/nonexistent/folder'"},
                      StartFailure{"ClosedStdin", withStdin(9999), EBADF, "9999"},
                      StartFailure{"ClosedPassFd", withPassFd(9998), EBADF, "9998"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ExitCase {
  const char* name;
  std::vector<std::string> argv;
  ProcessExit exit;
  int shellCode;
};

class ProcessExitStatus : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ProcessExitStatus, IsReportedAsTheChildEnded) {
  const ProcessRun run = runOrFail(options(GetParam().argv));
  EXPECT_EQ(run.exit, GetParam().exit) << run.exit.describe();
  EXPECT_EQ(run.exit.shellCode(), GetParam().shellCode);
  EXPECT_EQ(run.exit.success(), GetParam().shellCode == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProcessExitStatus,
    ::testing::Values(ExitCase{"Zero", {"/bin/true"}, ProcessExit::exited(0), 0},
                      ExitCase{"Three", {probe(), "exit", "3"}, ProcessExit::exited(3), 3},
                      ExitCase{"FoundInPath", {"false"}, ProcessExit::exited(1), 1},
                      ExitCase{"KilledBySignal", {"/bin/sh", "-c", "kill -9 $$"}, ProcessExit::killed(SIGKILL),
                               128 + SIGKILL}),
    [](const auto& info) { return std::string(info.param.name); });

// Lines "key=value" of the probe's report.
std::string field(const std::string& report, const std::string& key) {
  const auto at = report.find(key + "=");
  if (at == std::string::npos) return "(missing)";
  const auto start = at + key.size() + 1;
  return report.substr(start, report.find('\n', start) - start);
}

TEST(Process, TheChildGetsOnlyItsOwnDescriptorsDefaultSignalsAndTheGivenFolder) {
  testing::ScratchFolder scratch;
  // A descriptor without O_CLOEXEC, as a careless library opens them, and a blocked and an
  // ignored signal in the starting thread: none of it may reach the child.
  const int leaky = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(leaky, 0);
  sigset_t term;
  sigset_t previousMask;
  ::sigemptyset(&term);
  ::sigaddset(&term, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &term, &previousMask);
  auto previousPipe = ::signal(SIGPIPE, SIG_IGN);

  auto what = options({probe(), "report"});
  what.workingFolder = scratch.path();
  const ProcessRun run = runOrFail(what);

  ::signal(SIGPIPE, previousPipe);
  ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
  ::close(leaky);
  EXPECT_EQ(field(run.out, "fds"), "0,1,2");
  EXPECT_EQ(field(run.out, "cwd"), std::filesystem::canonical(scratch.path()).string());
  EXPECT_EQ(field(run.out, "sigpipe"), "default");
  EXPECT_EQ(field(run.out, "sigterm-blocked"), "0");
  EXPECT_EQ(field(run.out, "own-group"), "0");
}

TEST(Process, PassedDescriptorsArriveInOrderFromThree) {
  // Ends of two pipes given in an order that crosses their numbers.
  int a[2];
  int b[2];
  ASSERT_EQ(::pipe2(a, O_CLOEXEC), 0);
  ASSERT_EQ(::pipe2(b, O_CLOEXEC), 0);
  auto what = options({"/bin/sh", "-c", "echo three >&3; echo four >&4"});
  what.passFds = {b[1], a[1]};
  const ProcessRun run = runOrFail(what);
  ::close(a[1]);
  ::close(b[1]);
  char buffer[64] = {};
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(::read(b[0], buffer, sizeof buffer), 0))),
            "three\n");
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(::read(a[0], buffer, sizeof buffer), 0))),
            "four\n");
  ::close(a[0]);
  ::close(b[0]);
  EXPECT_TRUE(run.exit.success()) << run.err;
}

TEST(Process, ArgumentsAndEnvironmentReachTheChildUnexpanded) {
  const std::string hostile = "a b;$(touch /tmp/corvane-never)|`x`*";
  auto what = options({probe(), "report", "CORVANE_PROBE_VALUE", "HOME", hostile});
  what.environment = ProcessEnvironment::current().set("CORVANE_PROBE_VALUE", hostile).unset("HOME").entries();
  const ProcessRun run = runOrFail(what);
  EXPECT_EQ(field(run.out, "argc"), "5");
  EXPECT_NE(run.out.find("arg=CORVANE_PROBE_VALUE env=" + hostile + "\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("arg=HOME env=(unset)\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("arg=" + hostile + " env=(unset)\n"), std::string::npos) << run.out;
}

struct RunCase {
  const char* name;
  std::vector<std::string> argv;
  std::string input;
  RunLimits limits;
  std::size_t outSize;
  bool truncated;
  bool timedOut;
};

class ProcessRunBounds : public ::testing::TestWithParam<RunCase> {};

TEST_P(ProcessRunBounds, CollectsWithinTheLimits) {
  const RunCase& c = GetParam();
  const ProcessRun run = runOrFail(options(c.argv), c.input, c.limits);
  EXPECT_EQ(run.out.size(), c.outSize);
  EXPECT_EQ(run.truncated, c.truncated);
  EXPECT_EQ(run.timedOut, c.timedOut);
  if (c.timedOut) {
    EXPECT_EQ(run.exit, ProcessExit::killed(SIGKILL));
  }
  if (c.argv.back() == "cat") {
    EXPECT_EQ(run.out, c.input);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProcessRunBounds,
    ::testing::Values(
        // Four times a pipe's buffer each way: only interleaved writing and reading finishes.
        RunCase{"EchoesMoreThanAPipeHolds", {probe(), "cat"}, std::string(256 * 1024, 'e'), {}, 256 * 1024, false,
                false},
        RunCase{"DropsOutputPastTheBound", {probe(), "flood", "100000"}, "", {kLimit, 1000}, 1000, true, false},
        RunCase{"KillsAtTheTimeOut", {"/bin/sleep", "30"}, "", {milliseconds(200), 1000}, 0, false, true},
        // The child ignores its input and ends: the rest is dropped, no SIGPIPE ends this test.
        RunCase{"ChildThatReadsNothing", {"/bin/true"}, std::string(1 << 20, 'i'), {}, 0, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Process, WritingToAChildThatClosedItsInputFailsWithEpipeNotSigpipe) {
  auto previous = ::signal(SIGPIPE, SIG_DFL);
  auto what = options({"/bin/true"});
  what.stdinStream = ChildStream::piped();
  auto process = Process::start(what);
  ASSERT_TRUE(process.ok()) << process.error().toString();
  ASSERT_TRUE(process->waitFor(kLimit));
  const auto written = process->writeInput("late", kLimit);
  ::signal(SIGPIPE, previous);
  ASSERT_FALSE(written.ok());
  EXPECT_EQ(written.error().code, EPIPE);
}

TEST(Process, ReadLineSplitsCutsLongLinesAndReturnsTheTail) {
  auto what = options({probe(), "lines"});
  what.stdoutStream = ChildStream::piped();
  auto process = Process::start(what);
  ASSERT_TRUE(process.ok());
  std::vector<std::string> lines;
  for (int i = 0; i < 10; ++i) {
    auto line = process->readLine(Process::Stream::out, kLimit, 64);
    if (!line) break;
    lines.push_back(*line);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "second line", std::string(64, 'L'), std::string(36, 'L'),
                                             "tail"}));
  EXPECT_EQ(process->waitFor(kLimit), ProcessExit::exited(0));
}

TEST(Process, StopKillsWhatIgnoresSigtermAndSweepsTheGroup) {
  auto what = options({probe(), "hold"});
  what.stdoutStream = ChildStream::piped();
  what.newProcessGroup = true;
  auto process = Process::start(what);
  ASSERT_TRUE(process.ok());
  const auto grandchild = process->readLine(Process::Stream::out, kLimit);
  ASSERT_TRUE(grandchild);
  const pid_t grandchildPid = std::stoi(*grandchild);
  EXPECT_EQ(process->stop(seconds(5)), ProcessExit::killed(SIGTERM));
  // The grandchild ignored the SIGTERM; the sweep before the reap ended it.
  for (int i = 0; i < 200 && !notRunning(grandchildPid); ++i) ::usleep(10'000);
  EXPECT_TRUE(notRunning(grandchildPid));
  EXPECT_FALSE(process->signal(SIGTERM)) << "a reaped pid may belong to someone else";

  auto stubborn = Process::start([&] {
    auto o = options({probe(), "stubborn"});
    o.stdoutStream = ChildStream::piped();
    return o;
  }());
  ASSERT_TRUE(stubborn.ok());
  ASSERT_EQ(stubborn->readLine(Process::Stream::out, kLimit), "ready");
  EXPECT_EQ(stubborn->stop(milliseconds(100)), ProcessExit::killed(SIGKILL));
}

TEST(Process, LeavesNoZombieWhenDestroyedOrMovedOver) {
  pid_t first = -1;
  pid_t second = -1;
  {
    auto a = Process::start(options({"/bin/sleep", "30"}));
    auto b = Process::start(options({"/bin/sleep", "30"}));
    ASSERT_TRUE(a.ok() && b.ok());
    first = a->pid();
    second = b->pid();
    Process kept = std::move(*a);
    kept = std::move(*b);  // the first child goes here
    EXPECT_EQ(::waitpid(first, nullptr, WNOHANG), -1);
    EXPECT_EQ(kept.pid(), second);
  }
  EXPECT_EQ(::waitpid(second, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(Process, AMainLoopSeesTheOutputAndTheEndThroughItsDescriptors) {
  AsioMainLoop loop;
  auto what = options({"/bin/sh", "-c", "echo hello; exec sleep 0.05"});
  what.stdoutStream = ChildStream::piped();
  auto process = Process::start(what);
  ASSERT_TRUE(process.ok());
  ASSERT_GE(process->exitFd(), 0);
  std::string output;
  std::optional<ProcessExit> ended;
  const WatchId outWatch = loop.watchReadable(process->stdoutFd(), [&] {
    while (auto chunk = process->readSome(Process::Stream::out)) {
      if (chunk->empty()) break;
      output += *chunk;
    }
  });
  const WatchId exitWatch = loop.watchReadable(process->exitFd(), [&] { ended = process->tryWait(); });
  ASSERT_TRUE(loop.runUntil([&] { return ended.has_value(); }, kLimit));
  loop.unwatch(outWatch);
  loop.unwatch(exitWatch);
  EXPECT_EQ(*ended, ProcessExit::exited(0));
  while (auto chunk = process->readSome(Process::Stream::out)) {
    if (chunk->empty()) break;
    output += *chunk;
  }
  EXPECT_EQ(output, "hello\n");
}

}  // namespace
}  // namespace corvane::platform
