// The app as a user meets it: a real X window (under a private Xvfb) against the reference
// backend. Start, type the demo account and press Enter, open the picker from the dashboard,
// choose the first server; the choice is stored and the connection is asked for. Any warning
// from the QML on the way (a TypeError of a binding, a missing property) fails the run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <cstring>
#include <filesystem>
#include <mutex>

#include "api/support/backend_process.h"
#include "keys/notification_names.h"
#include "keys/preference_key.h"
#include "tunnel/home_view.h"
#include "ui/app/window_launch.h"
#include "screens/main_tabbed_view.h"
#include "servers/server_list_view.h"
#include "ui/app/window_app.h"
#include "ui/support/screen_host.h"
#include "ui/window/xvfb_display.h"

namespace corvane::ui {
namespace {

using test::spinUntil;

// Warnings and errors that come from QML, from the whole life of the app in this process.
std::mutex problemsLock;
QStringList qmlProblems;
QtMessageHandler passOn = nullptr;

void recordQmlProblems(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const bool serious = type == QtWarningMsg || type == QtCriticalMsg;
  const bool fromQml = (context.category != nullptr && (std::strcmp(context.category, "qml") == 0 ||
                                                        std::strcmp(context.category, "js") == 0)) ||
                       message.contains(QStringLiteral(".qml:")) || message.contains(QStringLiteral("TypeError"));
  if (serious && fromQml) {
    const std::lock_guard lock(problemsLock);
    qmlProblems << message;
  }
  if (passOn != nullptr) passOn(type, context, message);
}

QQuickItem* findNamed(QQuickWindow& window, const char* name) {
  return window.findChild<QQuickItem*>(QString::fromLatin1(name));
}

void click(QQuickWindow& window, QQuickItem& item) {
  const QPointF centre = item.mapToScene(QPointF(item.width() / 2, item.height() / 2));
  QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

void type(QQuickWindow& window, const char* text) {
  for (const char* c = text; *c != '\0'; ++c) QTest::keyClick(&window, *c);
}

// The first server row the list has drawn.
QQuickItem* firstServerRow(QQuickItem& list) {
  auto* content = list.property("contentItem").value<QQuickItem*>();
  if (content == nullptr) return nullptr;
  QQuickItem* best = nullptr;
  for (QQuickItem* row : content->childItems()) {
    if (row->property("kind").toString() != "server" || !row->isVisible()) continue;
    if (best == nullptr || row->y() < best->y()) best = row;
  }
  return best;
}

TEST(RealWindow, LogInOpenThePickerAndChooseAServer) {
  test::BackendLaunch launch;
  launch.demo = true;
  test::BackendProcess backend(launch);
  const auto home = std::filesystem::temp_directory_path() /
                    ("corvane-window-" + std::to_string(::getpid()));
  setenv("CORVANE_HOME", home.c_str(), 1);
  setenv("CORVANE_API_HOST", backend.apiHost().c_str(), 1);
  setenv("CORVANE_CA_FILE", backend.caFile().c_str(), 1);
  // No tunnel service: the window's tunnel side must still start (its VPN service has no
  // managers), whatever service may run on this machine.
  setenv("CORVANE_TUNNELD_SOCKET", (home / "no-tunneld.sock").c_str(), 1);

  {
    WindowApp app({.localeIdentifier = "en_US", .tray = false});
    int connectAsked = 0;
    auto services = app.services();
    const auto token = services.notifications.addObserver(
        std::string(keys::kConnectFromServer), [&] { ++connectAsked; });
    QQuickWindow* window = app.show();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // The launch object follows the first frame and runs its start-up sequence to the end.
    ASSERT_TRUE(spinUntil([&] { return app.launched() != nullptr && app.launched()->delegate().startupFinished(); }));
    EXPECT_NE(app.launched()->delegate().profileServer(), nullptr);

    // The splash gives way to the login screen; the e-mail field has the focus.
    ASSERT_TRUE(spinUntil([&] { return app.root().shown() == app::ContentView::Child::login; }));
    ASSERT_TRUE(spinUntil([&] { return findNamed(*window, "loginButton") != nullptr; }));
    window->requestActivate();
    ASSERT_TRUE(spinUntil([&] { return window->activeFocusItem() != nullptr &&
                                       window->activeFocusItem()->inherits("QQuickTextInput"); }))
        << "focus is on " << (window->activeFocusItem() ? window->activeFocusItem()->metaObject()->className() : "nothing");
    type(*window, "demo@corvane.test");
    QTest::keyClick(window, Qt::Key_Tab);
    type(*window, "corvane-demo-2026");
    QTest::keyClick(window, Qt::Key_Return);
    ASSERT_TRUE(spinUntil([&] { return app.root().shown() == app::ContentView::Child::main; }))
        << "login did not succeed through the keyboard";

    // The dashboard's last-used-server card opens the picker, which lists the catalogue.
    QQuickItem* card = nullptr;
    ASSERT_TRUE(spinUntil([&] { return (card = findNamed(*window, "lastUsedServerCard")) != nullptr; }));
    click(*window, *card);
    tunnel::HomeView* dashboard = app.root().main()->home();
    ASSERT_NE(dashboard, nullptr);
    ASSERT_TRUE(spinUntil([&] {
      return dashboard->serverList() != nullptr && dashboard->serverList()->refreshed();
    }));
    // The list may remake its rows on any turn of the loop (a second catalogue answer), so
    // a row is found again after the last spin and used before the next one.
    QQuickItem* row = nullptr;
    const auto settledRow = [&] {
      QQuickItem* list = findNamed(*window, "serverList");
      row = list != nullptr ? firstServerRow(*list) : nullptr;
      return row != nullptr && row->mapToScene(QPointF(0, 0)).x() >= 0;
    };
    ASSERT_TRUE(spinUntil(settledRow));
    test::spinBriefly();
    ASSERT_TRUE(settledRow());
    const std::string chosen = row->property("ipName").toString().toStdString();

    // A tap on the row stores the server and asks for the connection; the picker closes.
    click(*window, *row);
    ASSERT_TRUE(spinUntil([&] { return connectAsked == 1; }));
    EXPECT_EQ(services.preferences.get(keys::pref::ipName), chosen);
    EXPECT_EQ(dashboard->serverList(), nullptr);
    services.notifications.removeObserver(token);
  }
  std::filesystem::remove_all(home);
  const std::lock_guard lock(problemsLock);
  EXPECT_TRUE(qmlProblems.isEmpty()) << "the QML warned:\n" << qmlProblems.join("\n").toStdString();
}

}  // namespace
}  // namespace corvane::ui

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  auto display = corvane::test::XvfbDisplay::start();
  if (!display) {
    std::printf("SKIPPED: Xvfb is not installed or did not start; the real-window run needs it\n");
    return 0;
  }
  setenv("DISPLAY", display->display().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  corvane::ui::passOn = qInstallMessageHandler(corvane::ui::recordQmlProblems);
  corvane::ui::WindowEngine::prepareProcess();
  QApplication app(argc, argv);
  corvane::ui::WindowEngine::prepareApplication();
  const int failed = RUN_ALL_TESTS();
  // The recording ends before the application and the list it writes to go.
  qInstallMessageHandler(corvane::ui::passOn);
  return failed;
}
