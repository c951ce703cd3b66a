// The tray's look and menu over the fake tunnel service, and the desktop notifications as a
// notification server on a private session bus receives them.
#include <gtest/gtest.h>

#include <QAction>
#include <QDBusConnection>
#include <QDBusError>
#include <QObject>

#include <filesystem>
#include <vector>

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

// A notification server that records what it is asked to show.
class RecordingNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Shown {
    QString app, icon, summary, body;
  };
  std::vector<Shown> shown;

 public slots:
  uint Notify(const QString& app, uint /*replaces*/, const QString& icon, const QString& summary,
              const QString& body, const QStringList& /*actions*/, const QVariantMap& /*hints*/,
              int /*timeout*/) {
    shown.push_back({app, icon, summary, body});
    return static_cast<uint>(shown.size());
  }
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

TEST_F(Tray, LookAndMenuFollowTheStatusInBothLanguages) {
  const struct {
    VpnStatus status;
    const char* icon;
    bool connect, disconnect;
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
    const bool chinese = std::string_view(locale) == "zh_CN";
    WindowServices window(loop_, std::make_unique<platform::RecordingUrlOpener>(), locale, test::useFakeTunnel);
    platform::FakeTunnelDaemon& daemon = test::fakeTunnel(window.root());
    StatusTray tray(window.services(), nullptr, false);
    EXPECT_EQ(tray.connectAction().text(), chinese ? "连接" : "Connect");
    EXPECT_EQ(tray.disconnectAction().text(), chinese ? "断开" : "Disconnect");
    for (const auto& row : rows) {
      daemon.setStatus(row.status);
      spinBriefly();
      const std::string where = std::string(locale) + " status " + std::to_string(static_cast<int>(row.status));
      EXPECT_EQ(tray.look().tooltip, QStringLiteral("CorvaneVPN · ") + (chinese ? row.chinese : row.english)) << where;
      EXPECT_TRUE(tray.look().icon.endsWith(QStringLiteral("/%1.svg").arg(row.icon))) << where;
      EXPECT_EQ(tray.connectAction().isEnabled(), row.connect) << where;
      EXPECT_EQ(tray.disconnectAction().isEnabled(), row.disconnect) << where;
    }
  }
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

// A private session bus with a recording notification server on it: one notification per
// real change, none for the states in between or for repeats.
TEST_F(Tray, NotifiesOnceWhenTheTunnelComesUpAndOnceWhenItDrops) {
  platform::ProcessOptions options;
  options.argv = {"dbus-daemon", "--session", "--nofork", "--print-address"};
  options.stdoutStream = platform::ChildStream::piped();
  auto bus = platform::Process::start(std::move(options));
  if (!bus) GTEST_SKIP() << "dbus-daemon did not start: " << bus.error().toString();
  const auto address = bus->readLine(platform::Process::Stream::out, std::chrono::seconds(10));
  ASSERT_TRUE(address.has_value()) << "dbus-daemon printed no address";

  {
    QDBusConnection serverSide = QDBusConnection::connectToBus(QString::fromStdString(*address), "tray-test-server");
    QDBusConnection appSide = QDBusConnection::connectToBus(QString::fromStdString(*address), "tray-test-app");
    ASSERT_TRUE(serverSide.isConnected()) << serverSide.lastError().message().toStdString();
    RecordingNotifications server;
    ASSERT_TRUE(serverSide.registerObject(DesktopNotifier::kPath, &server, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(serverSide.registerService(DesktopNotifier::kService));

    WindowServices window(loop_, std::make_unique<platform::RecordingUrlOpener>(), "en_US", test::useFakeTunnel);
    platform::FakeTunnelDaemon& daemon = test::fakeTunnel(window.root());
    daemon.setStatus(VpnStatus::disconnected);
    DesktopNotifier notifier(appSide);
    StatusTray tray(window.services(), &notifier, false);
    const VpnStatus steps[] = {
        VpnStatus::connecting, VpnStatus::connected,                     // up: "Connected"
        VpnStatus::connected, VpnStatus::reasserting, VpnStatus::connected,  // still up
        VpnStatus::disconnecting, VpnStatus::disconnected,               // down: "Disconnected"
        VpnStatus::connecting, VpnStatus::disconnected,                  // a failed attempt
        VpnStatus::invalid, VpnStatus::connected,                        // service lost, then up
        VpnStatus::disconnected,                                         // down: "Disconnected"
        VpnStatus::connecting, VpnStatus::connected,                     // up: "Connected"
    };
    for (VpnStatus status : steps) {
      daemon.setStatus(status);
      spinBriefly();
    }
    // The last one arrives after all the others: they share one connection.
    ASSERT_TRUE(spinUntil([&] { return server.shown.size() >= 4; }));
    spinBriefly();
    std::vector<QString> bodies;
    for (const auto& shown : server.shown) {
      bodies.push_back(shown.body);
      EXPECT_EQ(shown.app, "CorvaneVPN");
      EXPECT_EQ(shown.summary, "CorvaneVPN");
      EXPECT_EQ(shown.icon, "net.corvane.client");
    }
    EXPECT_EQ(bodies, (std::vector<QString>{"Connected", "Disconnected", "Disconnected", "Connected"}));
  }
  QDBusConnection::disconnectFromBus("tray-test-server");
  QDBusConnection::disconnectFromBus("tray-test-app");
  bus->stop(std::chrono::seconds(2));
}

}  // namespace
}  // namespace corvane::ui

#include "tray_test.moc"
