// Keystroke in the picker's search field to the next drawn frame, with 10,000 servers from
// the reference backend. The picker is the app's own QML over its real model; each sample
// types one character (or erases one) and waits for the frame that shows the new rows. It
// also prints the GUI thread's own CPU time, which load on the machine does not inflate.
//   build/bin/picker_keystroke_bench [KEYSTROKES]   (offscreen platform unless DISPLAY is set)
#include <QApplication>
#include <QElapsedTimer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <time.h>

#include "api/support/backend_process.h"
#include "screens/login_view.h"
#include "servers/server_list_view.h"
#include "tunnel/home_view.h"
#include "ui/app/window_engine.h"
#include "ui/app/window_services.h"
#include "ui/bindings/screen_bindings.h"
#include "ui/loop/qt_main_loop.h"
#include "ui/support/screen_host.h"

int main(int argc, char** argv) {
  using namespace corvane;
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  test::BackendLaunch launch;
  launch.demo = true;
  launch.demoServers = 10'000;
  test::BackendProcess backend(launch);
  const auto home = std::filesystem::temp_directory_path() / ("corvane-picker-bench-" + std::to_string(getpid()));
  setenv("CORVANE_HOME", home.c_str(), 1);
  setenv("CORVANE_API_HOST", backend.apiHost().c_str(), 1);
  setenv("CORVANE_CA_FILE", backend.caFile().c_str(), 1);
  const int keystrokes = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;

  ui::WindowEngine::prepareProcess();
  QApplication qt(argc, argv);
  ui::WindowEngine::prepareApplication();
  int code = 1;
  {
    ui::QtMainLoop loop;
    ui::WindowServices window(loop, std::make_unique<platform::RecordingUrlOpener>(), "en_US");
    auto services = window.services();
    // The link table names the API domain; the demo account holds the catalogue.
    bool sideMenu = false;
    screens::LoginView login(services, "", false, screenkit::Binding<bool>::to(sideMenu));
    services.api.fetchLinks([](bool) {});
    test::spinUntil([&] { return services.preferences.get(keys::pref::domainLink).has_value(); });
    login.email = "demo@corvane.test";
    login.password = "corvane-demo-2026";
    login.login();
    test::spinUntil([&] { return !login.showProgress; });
    tunnel::HomeView dashboard(services, screenkit::Binding<bool>::to(sideMenu));
    dashboard.openServerList();
    servers::ServerListView& picker = *dashboard.serverList();
    picker.tapProtocol(servers::VpnProtocol::wireGuard);
    auto adapter = ui::bindServerList(picker);
    test::ScreenHost host("ServerPicker", *adapter, QSize(1280, 800));
    test::spinUntil([&] { return picker.refreshed(); });
    std::printf("catalogue: %zu servers\n", picker.ipBundle().size());

    QQuickWindow& w = host.window();
    auto* field = w.findChild<QQuickItem*>(QStringLiteral("searchField"));
    if (field == nullptr || picker.ipBundle().size() < 10'000) {
      std::fprintf(stderr, "picker not ready\n");
    } else {
      field->forceActiveFocus();
      bool swapped = false;
      QObject::connect(&w, &QQuickWindow::frameSwapped, &qt, [&] { swapped = true; });
      // Country names through their letters and back: narrowing, widening, emptying.
      const char pattern[] = "germanyxx";
      std::vector<double> ms;
      std::vector<double> handled;  // the key event's own dispatch: field, model, row changes
      std::vector<double> cpu;      // the GUI thread's CPU time, key to frame (delegates included)
      int typed = 0;
      for (int i = 0; i < keystrokes; ++i) {
        test::spinBriefly();
        swapped = false;
        QElapsedTimer clock;
        clock.start();
        timespec cpu0{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu0);
        const bool erase = (i / 9) % 2 == 1 && typed > 0;
        if (erase) {
          QTest::keyClick(&w, Qt::Key_Backspace);
          --typed;
        } else {
          QTest::keyClick(&w, pattern[typed % 9]);
          ++typed;
        }
        handled.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        w.update();
        test::spinUntil([&] { return swapped; });
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        timespec cpu1{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu1);
        cpu.push_back((cpu1.tv_sec - cpu0.tv_sec) * 1e3 + (cpu1.tv_nsec - cpu0.tv_nsec) / 1e6);
      }
      const auto at = [](std::vector<double> v, double q) {
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, static_cast<std::size_t>(q * v.size()))];
      };
      std::printf("keystroke to next frame over %d keystrokes: p50 %.2f ms, p95 %.2f ms, max %.2f ms\n",
                  keystrokes, at(ms, 0.5), at(ms, 0.95), at(ms, 1.0));
      std::printf("  of which the key event's dispatch: p50 %.2f ms, p95 %.2f ms\n", at(handled, 0.5),
                  at(handled, 0.95));
      std::printf("  GUI thread CPU per keystroke: p50 %.2f ms, p95 %.2f ms\n", at(cpu, 0.5), at(cpu, 0.95));
      code = 0;
    }
  }
  std::filesystem::remove_all(home);
  return code;
}
