// The window's stand-ins for platform services: which URLs it hands to the desktop, and
// how the application's state becomes the background and active moments.
#include <gtest/gtest.h>

#include "platform/lifecycle/notification_app_lifecycle.h"
#include "platform/notifications/notification_center.h"
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

}  // namespace
}  // namespace corvane::ui
