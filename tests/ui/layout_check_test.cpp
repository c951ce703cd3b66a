// The screenshot check itself: each kind of unreadable text is found, and a sound layout
// passes. Without this, a checker that never complains would let every screen through.
#include <gtest/gtest.h>

#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include "ui/support/layout_check.h"
#include "ui/support/screen_host.h"

namespace corvane::test {
namespace {

struct Case {
  const char* name;
  const char* items;  // QML inside a 300 x 200 window
  const char* fault;  // expected in the report; empty for none
};

class LayoutCheck : public ::testing::TestWithParam<Case> {};

TEST_P(LayoutCheck, FindsWhatAUserCouldNotRead) {
  QQmlApplicationEngine engine;
  engine.loadData(QByteArray("import QtQuick\nimport QtQuick.Window\n"
                             "Window { width: 300; height: 200; visible: true\n") +
                  GetParam().items + "\n}");
  ASSERT_TRUE(spinUntil([&] { return !engine.rootObjects().isEmpty(); }));
  auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
  spinBriefly();
  const QString report = unreadableTexts(*window).join("; ");
  if (QByteArray(GetParam().fault).isEmpty()) {
    EXPECT_TRUE(report.isEmpty()) << report.toStdString();
  } else {
    EXPECT_TRUE(report.contains(GetParam().fault)) << report.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutCheck,
    ::testing::Values(
        Case{"sound", R"(Text { text: "Login" } Text { y: 30; text: "Register" })", ""},
        Case{"cut", R"(Text { width: 40; height: 20; text: "Forget Password?" })", "needs"},
        Case{"elided", R"(Text { width: 40; text: "Forget Password?"; elide: Text.ElideRight })",
             "is elided"},
        Case{"elidedOnPurpose",
             R"(Text { width: 40; text: "Frankfurt #01"; elide: Text.ElideRight;
                       property bool elideIntended: true })", ""},
        Case{"overlap", R"(Text { text: "Email" } Text { x: 10; text: "Password" })", "overlaps"},
        Case{"overlayAbove",
             R"(Text { text: "Email" } Item { property bool overlay: true; anchors.fill: parent
                  Text { text: "Oops!" } })", ""},
        Case{"outOfWindow", R"(Text { x: 280; text: "Server List" })", "runs out of the window"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::test
