// Change listeners as a window or a test holds them: removable one by one, never called once
// removed (also when removed by an earlier listener of the same report), and typed input
// reported as a change only when the text differs.
#include <gtest/gtest.h>

#include "common/screen_env.h"
#include "screens/set_new_pass_view.h"

namespace corvane::screens {
namespace {

TEST(ChangeListeners, RemovedListenersAreNeverCalled) {
  test::ScreenEnv env;
  auto login = std::make_unique<SetNewPassView>(env.services());
  std::vector<std::string> calls;
  screenkit::ChangeListening later;
  const auto first = login->addChangeListener([&] {
    calls.push_back("first");
    later.reset();  // a view going away during the report
  });
  later = login->listenForChanges([&] { calls.push_back("later"); });
  {
    screenkit::ChangeListening scoped = login->listenForChanges([&] { calls.push_back("scoped"); });
  }
  EXPECT_TRUE(login->setPassword("first secret"));
  EXPECT_EQ(calls, std::vector<std::string>{"first"});

  login->removeChangeListener(first);
  login->removeChangeListener(first);  // twice is harmless
  EXPECT_TRUE(login->setRePassword("second secret"));
  EXPECT_EQ(calls.size(), 1u);

  // A registration that outlives its model removes nothing.
  screenkit::ChangeListening orphan = login->listenForChanges([&] { calls.push_back("orphan"); });
  login.reset();
  orphan.reset();
  EXPECT_EQ(calls.size(), 1u);
}

TEST(ChangeListeners, TypedFieldsReportOnlyWhatChanged) {
  test::ScreenEnv env;
  SetNewPassView login(env.services());
  int reports = 0;
  auto listening = login.listenForChanges([&] { ++reports; });
  struct Step {
    std::string text;
    bool changed;
  };
  for (const Step& step : {Step{"s3cret", true}, Step{"s3cret", false}, Step{"", true}, Step{"", false}}) {
    EXPECT_EQ(login.setPassword(step.text), step.changed) << step.text;
    EXPECT_EQ(login.password, step.text);
  }
  EXPECT_EQ(reports, 2);
}

}  // namespace
}  // namespace corvane::screens
