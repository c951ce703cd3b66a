#include "screenkit/form_notice.h"

#include <gtest/gtest.h>

#include "platform/mainloop/manual/manual_loop.h"

namespace corvane::screenkit {
namespace {

using platform::seconds;

class FormNoticeTest : public ::testing::Test {
 protected:
  platform::ManualLoop loop;
  int changes = 0;
  FormNotice notice{loop, [this] { ++changes; }};
};

TEST_F(FormNoticeTest, ShowsForExactlyOneSecond) {
  notice.raise();
  EXPECT_TRUE(notice.shown());
  loop.advance(seconds(0.999));
  EXPECT_TRUE(notice.shown());
  EXPECT_EQ(changes, 0);
  loop.advance(seconds(0.001));
  EXPECT_FALSE(notice.shown());
  EXPECT_EQ(changes, 1);
}

TEST_F(FormNoticeTest, FirstTimerHidesARaisedAgainNotice) {
  notice.raise();
  loop.advance(seconds(0.6));
  notice.raise();  // second tap while showing: its timer does not extend the first
  loop.advance(seconds(0.4));
  EXPECT_FALSE(notice.shown());
  loop.advance(seconds(0.6));  // the second timer fires too and leaves it hidden
  EXPECT_FALSE(notice.shown());
  EXPECT_EQ(changes, 2);
}

TEST_F(FormNoticeTest, RaiseAfterHidingShowsAgain) {
  notice.raise();
  loop.advance(seconds(1.0));
  notice.raise();
  EXPECT_TRUE(notice.shown());
  loop.advance(seconds(1.0));
  EXPECT_FALSE(notice.shown());
}

TEST(FormNoticeLifetime, GoneNoticeLeavesNoTimers) {
  platform::ManualLoop loop;
  int changes = 0;
  {
    FormNotice notice(loop, [&] { ++changes; });
    notice.raise();
    notice.raise();
  }
  EXPECT_EQ(loop.pendingCount(), 0u);
  loop.advance(seconds(2.0));
  EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace corvane::screenkit
