// The tray's look and menu over the fake tunnel service, and the desktop notifications as a
// notification server on a private session bus receives them.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QDBusConnection>
#include <QDBusError>
#include <QObject>

#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "keys/notification_names.h"
#include "keys/preference_key.h"
#include "platform/process/process.h"
#include "tunnel/connect_button.h"
#include "tunnelcore/tunnel_core.h"
#include "ui/app/window_services.h"
#include "ui/loop/qt_main_loop.h"
#include "ui/support/screen_host.h"
#include "ui/support/window_tunnel.h"
#include "ui/tray/desktop_notifier.h"
#include "ui/tray/status_tray.h"

namespace corvane::ui {
namespace {

using platform::VpnStatus;
using test::spinBriefly;
using test::spinUntil;

// A notification server that records what it is asked to show and keeps what is on screen
// as a server does: a call that names a notification still shown replaces it and answers its
// id; any other call shows one more under a new id.
class RecordingNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Shown {
    QString app, icon, summary, body;
    uint replaces = 0;
  };
  std::vector<Shown> shown;     // every call, in order
  std::map<uint, QString> onScreen;  // id -> body

 public slots:
  uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
              const QString& body, const QStringList& /*actions*/, const QVariantMap& /*hints*/,
              int /*timeout*/) {
    shown.push_back({app, icon, summary, body, replaces});
    const uint id = onScreen.count(replaces) != 0 ? replaces : ++lastId_;
    onScreen[id] = body;
    return id;
  }

 private:
  uint lastId_ = 0;
};

// A private session bus with the recording server on it, and the app's connection to it.
class PrivateBus {
 public:
  PrivateBus() {
    platform::ProcessOptions options;
    options.argv = {"dbus-daemon", "--session", "--nofork", "--print-address"};
    options.stdoutStream = platform::ChildStream::piped();
    auto bus = platform::Process::start(std::move(options));
    if (!bus) {
      whyNot = "dbus-daemon did not start: " + bus.error().toString();
      return;
    }
    bus_.emplace(std::move(*bus));
    const auto address = bus_->readLine(platform::Process::Stream::out, std::chrono::seconds(10));
    if (!address) {
      whyNot = "dbus-daemon printed no address";
      return;
    }
    QDBusConnection serverSide = QDBusConnection::connectToBus(QString::fromStdString(*address), kServerSide);
    app = QDBusConnection::connectToBus(QString::fromStdString(*address), kAppSide);
    if (!serverSide.isConnected()) {
      whyNot = "no connection to the private bus: " + serverSide.lastError().message().toStdString();
    } else if (!serverSide.registerObject(DesktopNotifier::kPath, &server, QDBusConnection::ExportAllSlots) ||
               !serverSide.registerService(DesktopNotifier::kService)) {
      whyNot = "the notification server did not take its name";
    }
  }
  ~PrivateBus() {
    QDBusConnection::disconnectFromBus(kServerSide);
    QDBusConnection::disconnectFromBus(kAppSide);
    if (bus_) bus_->stop(std::chrono::seconds(2));
  }

  std::string whyNot;  // empty when ready
  RecordingNotifications server;
  QDBusConnection app{QString()};

 private:
  static constexpr const char* kServerSide = "tray-test-server";
  static constexpr const char* kAppSide = "tray-test-app";
  std::optional<platform::Process> bus_;
};

class Tray : public ::testing::Test {
 protected:
  ~Tray() override { std::filesystem::remove_all(home_); }

  bool pointAtTestHome() const {
    setenv("CORVANE_HOME", home_.c_str(), 1);
    setenv("CORVANE_API_HOST", "127.0.0.1:9", 1);  // nothing answers; nothing here asks
    setenv("CORVANE_IP_ECHO_URL", "http://127.0.0.1:9/ip", 1);
    return true;
  }

  std::filesystem::path home_ = std::filesystem::temp_directory_path() /
                                ("corvane-tray-" + std::to_string(::getpid()));
  bool pointed_ = pointAtTestHome();
  QtMainLoop loop_;
};

// Signed out there is no dashboard to carry out Connect, so it is not offered; Disconnect
// is, since a log-out leaves the tunnel up. The look stays the status's.
TEST_F(Tray, LookAndMenuFollowTheStatusAndTheSignInInBothLanguages) {
  const struct {
    VpnStatus status;
    const char* icon;
    bool connect, disconnect;  // signed in; signed out, connect is off
    const char* english;
    const char* chinese;
  } rows[] = {
      {VpnStatus::invalid, "powerButtonOff", true, false, "Disconnected", "已断开"},
      {VpnStatus::disconnected, "powerButtonOff", true, false, "Disconnected", "已断开"},
      {VpnStatus::connecting, "powerConnecting", false, true, "Connecting", "正在连接"},
      {VpnStatus::connected, "powerConnect", false, true, "Connected", "已连接"},
      // Reasserting has no word of its own: the last one stays.
      {VpnStatus::reasserting, "powerConnect", false, true, "Connected", "已连接"},
      {VpnStatus::disconnecting, "powerButtonOff", false, false, "Disconnecting", "正在断开"},
  };
  for (const char* locale : {"en_US", "zh_CN"}) {
    for (const bool signedIn : {true, false}) {
      const bool chinese = std::string_view(locale) == "zh_CN";
      WindowServices window(loop_, std::make_unique<platform::RecordingUrlOpener>(), locale, test::useFakeTunnel);
      window.services().preferences.set(keys::pref::loggedIn, signedIn);
      platform::FakeTunnelDaemon& daemon = test::fakeTunnel(window.root());
      StatusTray tray(window.services(), nullptr, false);
      EXPECT_EQ(tray.connectAction().text(), chinese ? "连接" : "Connect");
      EXPECT_EQ(tray.disconnectAction().text(), chinese ? "断开" : "Disconnect");
      for (const auto& row : rows) {
        daemon.setStatus(row.status);
        spinBriefly();
        const std::string where = std::string(locale) + (signedIn ? " signed in" : " signed out") + " status " +
                                  std::to_string(static_cast<int>(row.status));
        EXPECT_EQ(tray.look().tooltip, QStringLiteral("CorvaneVPN · ") + (chinese ? row.chinese : row.english))
            << where;
        EXPECT_TRUE(tray.look().icon.endsWith(QStringLiteral("/%1.svg").arg(row.icon))) << where;
        EXPECT_EQ(tray.connectAction().isEnabled(), signedIn && row.connect) << where;
        EXPECT_EQ(tray.disconnectAction().isEnabled(), row.disconnect) << where;
      }
    }
  }
}

// The sign-in changes with no status change: a log-out (here, or by corvanectl in another
// process) is seen when the menu opens, a sign-in when the login screen announces it.
TEST_F(Tray, TheMenuFollowsASignInAndALogOutBetweenStatusChanges) {
  WindowServices window(loop_, std::make_unique<platform::RecordingUrlOpener>(), "en_US", test::useFakeTunnel);
  screenkit::Services services = window.services();
  platform::FakeTunnelDaemon& daemon = test::fakeTunnel(window.root());
  daemon.setStatus(VpnStatus::disconnected);
  services.preferences.set(keys::pref::loggedIn, true);
  StatusTray tray(services, nullptr, false);
  spinBriefly();
  ASSERT_TRUE(tray.connectAction().isEnabled());

  services.preferences.set(keys::pref::loggedIn, false);
  emit tray.menu().aboutToShow();
  EXPECT_FALSE(tray.connectAction().isEnabled());

  services.preferences.set(keys::pref::loggedIn, true);
  services.notifications.post(keys::kLoginSuccess);
  EXPECT_TRUE(tray.connectAction().isEnabled());
  EXPECT_FALSE(tray.disconnectAction().isEnabled());
}

// A log-out leaves the tunnel up and no dashboard behind: the menu's Disconnect still takes
// it down, through the tunnel service itself.
TEST_F(Tray, SignedOutTheMenuStillTakesTheTunnelDown) {
  WindowServices window(loop_, std::make_unique<platform::RecordingUrlOpener>(), "en_US", test::useFakeTunnel);
  screenkit::Services services = window.services();
  ASSERT_NE(services.tunnelCore, nullptr) << window.root().tunnelCoreError();
  platform::FakeTunnelDaemon& daemon = test::fakeTunnel(window.root());
  daemon.setStatus(VpnStatus::connected);
  services.preferences.set(keys::pref::loggedIn, false);
  StatusTray tray(services, nullptr, false);
  spinBriefly();
  ASSERT_TRUE(tray.disconnectAction().isEnabled());
  tray.disconnectAction().trigger();
  ASSERT_TRUE(spinUntil([&] { return tray.statusWord() == "Disconnected"; }));
  EXPECT_EQ(daemon.stops, 1);
}

// The menu asks what the picker asks, and the dashboard's connect button carries it out.
TEST_F(Tray, MenuConnectsAndDisconnectsThroughTheConnectButton) {
  WindowServices window(loop_, std::make_unique<platform::RecordingUrlOpener>(), "en_US", test::useFakeTunnel);
  screenkit::Services services = window.services();
  ASSERT_NE(services.tunnelCore, nullptr) << window.root().tunnelCoreError();
  tunnelcore::TunnelCore& core = *services.tunnelCore;
  platform::FakeTunnelDaemon& daemon = test::fakeTunnel(window.root());
  daemon.connectDelay = platform::seconds(0.1);
  daemon.setStatus(VpnStatus::disconnected);
  // A chosen WireGuard server with its profile, as the picker leaves them.
  tunnelcore::Profile profile;
  profile.id = 7;
  profile.name = "Corvane";
  profile.path = (core.folders.configsDirectory() / "config_7.json").string();
  ASSERT_TRUE(profile.write("[Interface]\nPrivateKey = k\nAddress = 10.0.0.2/32\n[Peer]\nPublicKey = p\n"));
  ASSERT_TRUE(core.profiles.create(profile));
  ASSERT_TRUE(core.sharedPreferences.setSelectedProfileID(7));
  services.preferences.set(keys::pref::initialServerSelected, true);
  services.preferences.set(keys::pref::loggedIn, true);

  tunnel::ConnectButton button(services, core);
  StatusTray tray(services, nullptr, false);
  tray.connectAction().trigger();
  ASSERT_TRUE(spinUntil([&] { return tray.statusWord() == "Connected"; }));
  EXPECT_EQ(daemon.profileStarts.size(), 1U);
  EXPECT_FALSE(tray.connectAction().isEnabled());

  tray.disconnectAction().trigger();
  ASSERT_TRUE(spinUntil([&] { return tray.statusWord() == "Disconnected"; }));
  EXPECT_EQ(daemon.stops, 1);
  EXPECT_TRUE(tray.connectAction().isEnabled());
}

// One notification per real change, none for the states in between or for repeats, each
// in place of the one before.
TEST_F(Tray, NotifiesOnceWhenTheTunnelComesUpAndOnceWhenItDrops) {
  PrivateBus bus;
  if (!bus.whyNot.empty()) GTEST_SKIP() << bus.whyNot;
  RecordingNotifications& server = bus.server;
  WindowServices window(loop_, std::make_unique<platform::RecordingUrlOpener>(), "en_US", test::useFakeTunnel);
  platform::FakeTunnelDaemon& daemon = test::fakeTunnel(window.root());
  daemon.setStatus(VpnStatus::disconnected);
  DesktopNotifier notifier(bus.app);
  StatusTray tray(window.services(), &notifier, false);
  const VpnStatus steps[] = {
      VpnStatus::connecting, VpnStatus::connected,                         // up: "Connected"
      VpnStatus::connected, VpnStatus::reasserting, VpnStatus::connected,  // still up
      VpnStatus::disconnecting, VpnStatus::disconnected,                   // down: "Disconnected"
      VpnStatus::connecting, VpnStatus::disconnected,                      // a failed attempt
      VpnStatus::invalid, VpnStatus::connected,                            // service lost, then up
      VpnStatus::disconnected,                                             // down: "Disconnected"
      VpnStatus::connecting, VpnStatus::connected,                         // up: "Connected"
  };
  for (VpnStatus status : steps) {
    daemon.setStatus(status);
    spinBriefly();
    ASSERT_TRUE(spinUntil([&] { return !notifier.asking(); }));
  }
  std::vector<QString> bodies;
  for (const auto& shown : server.shown) {
    bodies.push_back(shown.body);
    EXPECT_EQ(shown.app, "CorvaneVPN");
    EXPECT_EQ(shown.summary, "CorvaneVPN");
    EXPECT_EQ(shown.icon, "net.corvane.client");
  }
  EXPECT_EQ(bodies, (std::vector<QString>{"Connected", "Disconnected", "Disconnected", "Connected"}));
  EXPECT_EQ(server.shown.front().replaces, 0U);
  EXPECT_EQ(server.onScreen, (std::map<uint, QString>{{1, "Connected"}})) << "each replaced the one before";
}

// Changes faster than the server answers: each waits for the id of the one before, and only
// the latest of those that waited goes out, so one notification stays on screen, the last.
// One the user closed meanwhile is not replaced but shown anew.
TEST_F(Tray, AFlappingTunnelLeavesOneNotification) {
  PrivateBus bus;
  if (!bus.whyNot.empty()) GTEST_SKIP() << bus.whyNot;
  RecordingNotifications& server = bus.server;
  DesktopNotifier notifier(bus.app);
  for (int i = 0; i < 10; ++i) notifier.notify("CorvaneVPN", i % 2 == 0 ? "Connected" : "Disconnected");
  notifier.notify("CorvaneVPN", "Connected");
  ASSERT_TRUE(spinUntil([&] { return server.shown.size() >= 2 && !notifier.asking(); }));
  spinBriefly();
  ASSERT_EQ(server.shown.size(), 2U) << "the first, then the latest";
  EXPECT_EQ(server.shown[0].replaces, 0U);
  EXPECT_EQ(server.shown[1].replaces, 1U);
  EXPECT_EQ(server.onScreen, (std::map<uint, QString>{{1, "Connected"}}));

  server.onScreen.clear();  // closed by the user
  notifier.notify("CorvaneVPN", "Disconnected");
  notifier.notify("CorvaneVPN", "Connected");
  ASSERT_TRUE(spinUntil([&] { return server.shown.size() >= 4; }));
  spinBriefly();
  EXPECT_EQ(server.shown.size(), 4U);
  EXPECT_EQ(server.onScreen, (std::map<uint, QString>{{2, "Connected"}}));
}

}  // namespace
}  // namespace corvane::ui

#include "tray_test.moc"
