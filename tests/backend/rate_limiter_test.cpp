#include "backend/rate_limiter.h"

#include <gtest/gtest.h>

namespace corvane::backend {
namespace {

TEST(RateLimiterTest, BlocksForTheRestOfTheWindowOnceItIsUsedUp) {
  std::int64_t now = 1000;
  RateLimiter limiter({3, 60}, [&] { return now; });
  for (int i = 0; i < 3; ++i) EXPECT_EQ(limiter.take("a"), 0) << i;
  EXPECT_EQ(limiter.take("a"), 60);
  EXPECT_EQ(limiter.take("b"), 0) << "keys are counted apart";
  now += 45;
  EXPECT_EQ(limiter.blockedFor("a"), 15);
  now += 15;
  EXPECT_EQ(limiter.blockedFor("a"), 0) << "a new window starts";
  EXPECT_EQ(limiter.take("a"), 0);
}

TEST(RateLimiterTest, RecordCountsWithoutAsking) {
  std::int64_t now = 0;
  RateLimiter limiter({2, 10}, [&] { return now; });
  limiter.record("k");
  EXPECT_EQ(limiter.blockedFor("k"), 0);
  limiter.record("k");
  EXPECT_EQ(limiter.blockedFor("k"), 10);
  RateLimiter unlimited({0, 10}, [&] { return now; });
  for (int i = 0; i < 100; ++i) unlimited.record("k");
  EXPECT_EQ(unlimited.blockedFor("k"), 0);
  EXPECT_EQ(unlimited.trackedKeys(), 0u);
}

TEST(RateLimiterTest, SprayedKeysStayWithinTheBound) {
  std::int64_t now = 0;
  RateLimiter limiter({1, 100}, [&] { return now; }, 50);
  for (int i = 0; i < 1000; ++i) {
    now = i / 10;
    limiter.record("spray-" + std::to_string(i));
  }
  EXPECT_LE(limiter.trackedKeys(), 50u);
  EXPECT_EQ(limiter.blockedFor("spray-999"), 100) << "the newest keys are kept";
}

}  // namespace
}  // namespace corvane::backend
