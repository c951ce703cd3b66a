// Start to first frame and resident memory of the app window, against a bare Qt Quick
// window in the same run. Each sample is a fresh process (a warm start: the binary and
// fonts are in the page cache after the first round); the parent times from fork to the
// child's report, written when its window has drawn its first frame.
//   build/bin/window_start_bench [ROUNDS]     (offscreen platform unless DISPLAY is set)
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "screenkit/localization.h"
#include "ui/app/window_app.h"
#include "ui/app/window_engine.h"

namespace {

long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// Runs in the child: shows the window, reports RSS at the first frame on `fd`, exits.
int child(bool app, int fd, int argc, char** argv) {
  corvane::ui::WindowEngine::prepareProcess();
  QApplication qt(argc, argv);
  corvane::ui::WindowEngine::prepareApplication();
  std::unique_ptr<corvane::ui::WindowApp> window;
  QQmlApplicationEngine bare;
  QQuickWindow* shown = nullptr;
  if (app) {
    window = std::make_unique<corvane::ui::WindowApp>(
        corvane::ui::WindowApp::Options{.localeIdentifier = "en_US", .tray = false});
    shown = window->show();
  } else {
    bare.loadData("import QtQuick\nimport QtQuick.Window\n"
                  "Window { width: 390; height: 844; visible: true; color: \"#0f634c\" }");
    if (!bare.rootObjects().isEmpty()) shown = qobject_cast<QQuickWindow*>(bare.rootObjects().first());
  }
  if (shown == nullptr) return 1;
  QObject::connect(shown, &QQuickWindow::frameSwapped, &qt, [fd] {
    const std::string line = std::to_string(residentKiB()) + "\n";
    (void)!write(fd, line.data(), line.size());
    _exit(0);  // the measurement is taken; no teardown to time
  });
  return qt.exec();
}

struct Sample {
  double ms;
  long kib;
};

Sample run(const char* self, bool app) {
  int fds[2];
  if (pipe(fds) != 0) return {-1, -1};
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execl(self, self, "--child", app ? "app" : "bare", fd.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char buffer[64] = {};
  const ssize_t got = read(fds[0], buffer, sizeof buffer - 1);
  const auto end = std::chrono::steady_clock::now();
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  if (got <= 0) return {-1, -1};
  return {std::chrono::duration<double, std::milli>(end - start).count(), std::atol(buffer)};
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--child") == 0) {
    return child(std::strcmp(argv[2], "app") == 0, std::atoi(argv[3]), 1, argv);
  }
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The app's start-up fetch goes to a port nobody listens on: its answer is not awaited.
  const auto home = std::filesystem::temp_directory_path() / ("corvane-start-bench-" + std::to_string(getpid()));
  setenv("CORVANE_HOME", home.c_str(), 1);
  setenv("CORVANE_API_HOST", "127.0.0.1:9", 1);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  std::vector<double> appMs, bareMs, appKiB, bareKiB;
  run(argv[0], true);  // warm the page cache
  for (int i = 0; i < rounds; ++i) {
    const Sample b = run(argv[0], false);
    const Sample a = run(argv[0], true);
    if (a.ms < 0 || b.ms < 0) {
      std::fprintf(stderr, "a child did not draw its first frame\n");
      return 1;
    }
    appMs.push_back(a.ms);
    bareMs.push_back(b.ms);
    appKiB.push_back(static_cast<double>(a.kib));
    bareKiB.push_back(static_cast<double>(b.kib));
  }
  std::filesystem::remove_all(home);
  const double ratio = median(appMs) / median(bareMs);
  const double extraMiB = (median(appKiB) - median(bareKiB)) / 1024.0;
  std::printf("start to first frame, median of %d: app %.1f ms, bare Qt Quick window %.1f ms, ratio %.2f\n",
              rounds, median(appMs), median(bareMs), ratio);
  std::printf("resident at first frame, median: app %.1f MiB, bare %.1f MiB, app - bare %.1f MiB\n",
              median(appKiB) / 1024.0, median(bareKiB) / 1024.0, extraMiB);
  return 0;
}
