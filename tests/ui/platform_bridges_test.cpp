// The window's stand-ins for platform services: which URLs it hands to the desktop, how the
// application's state becomes the background and active moments, and one instance per user.
#include <gtest/gtest.h>

#include <QDir>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/lifecycle/notification_app_lifecycle.h"
#include "platform/notifications/notification_center.h"
#include "ui/app/single_instance.h"
#include "ui/support/screen_host.h"
#include "ui/platform/lifecycle_bridge.h"
#include "ui/platform/qt_url_opener.h"

namespace corvane::ui {
namespace {

struct UrlCase {
  const char* url;
  bool opened;
};

class UrlOpening : public ::testing::TestWithParam<UrlCase> {};

TEST_P(UrlOpening, OnlyWebMailAndChatLinksReachTheDesktop) {
  EXPECT_EQ(QtUrlOpener::allowed(QString::fromUtf8(GetParam().url)), GetParam().opened);
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, UrlOpening,
    ::testing::Values(UrlCase{"https://corvane.test/about", true},
                      UrlCase{"HTTP://corvane.test/", true},
                      UrlCase{"mailto:support@corvane.test?subject=&body=", true},
                      UrlCase{"tg://resolve?domain=corvane", true},
                      UrlCase{"file:///etc/passwd", false},
                      UrlCase{"javascript:alert(1)", false},
                      UrlCase{"smb://host/share", false},
                      UrlCase{"whatsapp-desktop://x", false},
                      UrlCase{"not a url at all", false},
                      UrlCase{"", false}));

TEST(LifecycleBridge, StateChangesBecomeOneMomentEach) {
  platform::NotificationCenter centre;
  platform::NotificationAppLifecycle lifecycle(centre);
  std::vector<std::string> moments;
  auto background = lifecycle.observeDidEnterBackground([&] { moments.push_back("background"); });
  auto active = lifecycle.observeDidBecomeActive([&] { moments.push_back("active"); });
  LifecycleBridge bridge(lifecycle);
  for (auto state : {Qt::ApplicationActive, Qt::ApplicationInactive, Qt::ApplicationHidden,
                     Qt::ApplicationActive, Qt::ApplicationSuspended}) {
    bridge.applicationStateChanged(state);
  }
  EXPECT_EQ(moments, (std::vector<std::string>{"background", "active", "background"}));
}

TEST(SingleInstance, ASecondStartRaisesTheFirstAndAStaleSocketBlocksNothing) {
  const QString name = QStringLiteral("corvane-instance-test-%1").arg(::getpid());
  {
    SingleInstance first(name);
    int raised = 0;
    QObject::connect(&first, &SingleInstance::raiseRequested, [&] { ++raised; });
    ASSERT_TRUE(first.claim());
    SingleInstance second(name);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(test::spinUntil([&] { return raised == 1; }));
  }
  // What a crashed instance leaves: the socket file with nobody listening on it.
  const std::string path = QDir::temp().filePath(name).toStdString();
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0) << std::strerror(errno);
  ::close(fd);
  SingleInstance afterCrash(name);
  EXPECT_TRUE(afterCrash.claim());
  SingleInstance another(name);
  EXPECT_FALSE(another.claim()) << "the instance after the crash does not listen";
}

}  // namespace
}  // namespace corvane::ui
