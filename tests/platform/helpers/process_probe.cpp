// A child for the process helper's tests: reports what it was started with, or behaves in
// one awkward way on demand.
//   process_probe report [NAME...]  fds, working folder, group, signal state, argv, NAMEs
//   process_probe cat               copies stdin to stdout
//   process_probe exit CODE | flood BYTES | lines
//   process_probe stubborn          ignores SIGTERM, prints "ready", sleeps
//   process_probe hold              starts a grandchild in its group, prints its pid, sleeps
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void sleepLong() {
  for (int i = 0; i < 600; ++i) ::usleep(100'000);  // 60 s at most
}

int report(int argc, char** argv) {
  std::string fds;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (const dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == ::dirfd(dir)) continue;
      fds += (fds.empty() ? "" : ",") + std::string(entry->d_name);
    }
    ::closedir(dir);
  }
  std::printf("fds=%s\n", fds.c_str());
  char cwd[4096] = {};
  std::printf("cwd=%s\n", ::getcwd(cwd, sizeof cwd) ? cwd : "?");
  std::printf("own-group=%d\n", ::getpgrp() == ::getpid() ? 1 : 0);
  struct sigaction pipe {};
  ::sigaction(SIGPIPE, nullptr, &pipe);
  std::printf("sigpipe=%s\n", pipe.sa_handler == SIG_IGN ? "ignored" : "default");
  sigset_t blocked;
  ::sigprocmask(SIG_BLOCK, nullptr, &blocked);
  std::printf("sigterm-blocked=%d\n", ::sigismember(&blocked, SIGTERM));
  std::printf("argc=%d\n", argc);
  for (int i = 2; i < argc; ++i) {
    const char* value = std::getenv(argv[i]);
    std::printf("arg=%s env=%s\n", argv[i], value ? value : "(unset)");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "report") return report(argc, argv);
  if (mode == "exit" && argc > 2) return std::atoi(argv[2]);
  if (mode == "cat") {
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(0, buffer, sizeof buffer)) > 0) {
      if (::write(1, buffer, static_cast<std::size_t>(n)) != n) return 1;
    }
    return 0;
  }
  if (mode == "flood" && argc > 2) {
    const long total = std::atol(argv[2]);
    const std::string chunk(4096, 'x');
    for (long done = 0; done < total; done += 4096) {
      const auto size = static_cast<std::size_t>(std::min<long>(4096, total - done));
      if (::write(1, chunk.data(), size) < 0) return 1;
    }
    return 0;
  }
  if (mode == "lines") {
    std::fputs("first\nsecond line\n", stdout);
    std::fputs(std::string(100, 'L').c_str(), stdout);
    std::fputs("\ntail", stdout);
    return 0;
  }
  if (mode == "stubborn") {
    ::signal(SIGTERM, SIG_IGN);
    std::puts("ready");
    std::fflush(stdout);
    sleepLong();
    return 0;
  }
  if (mode == "hold") {
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      // Outlives a SIGTERM to the group: only the final sweep can end it.
      ::signal(SIGTERM, SIG_IGN);
      ::close(1);
      sleepLong();
      ::_exit(0);
    }
    std::printf("%d\n", grandchild);
    std::fflush(stdout);
    sleepLong();
    return 0;
  }
  std::fprintf(stderr, "process_probe: unknown mode `%s'\n", mode.c_str());
  return 2;
}
