#include "platform/notifications/notification_center.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace corvane::platform {
namespace {

TEST(NotificationCenter, RunsTheNamesObserversInOrderOnThePostingThread) {
  NotificationCenter center;
  std::vector<std::string> calls;
  std::thread::id ranOn;
  center.addObserver("A", [&] { calls.push_back("a1"); });
  center.addObserver("B", [&] { calls.push_back("b"); });
  center.addObserver("A", [&] {
    calls.push_back("a2");
    ranOn = std::this_thread::get_id();
  });
  std::thread::id poster;
  std::thread([&] {
    poster = std::this_thread::get_id();
    center.post("A");
  }).join();
  EXPECT_EQ(calls, (std::vector<std::string>{"a1", "a2"}));
  EXPECT_EQ(ranOn, poster);
  center.post("nobody listens");
  EXPECT_EQ(calls.size(), 2u);
}

TEST(NotificationCenter, ObserverRemovedDuringAPostIsNeverCalledAgain) {
  NotificationCenter center;
  std::vector<std::string> calls;
  NotificationCenter::Token self = 0;
  NotificationCenter::Token later = 0;
  NotificationCenter::Token earlier = center.addObserver("N", [&] { calls.push_back("earlier"); });
  self = center.addObserver("N", [&] {
    calls.push_back("self");
    center.removeObserver(self);
    center.removeObserver(later);
    center.removeObserver(earlier);  // already called in this post
  });
  later = center.addObserver("N", [&] { calls.push_back("later"); });
  center.addObserver("N", [&] { calls.push_back("last"); });

  center.post("N");
  EXPECT_EQ(calls, (std::vector<std::string>{"earlier", "self", "last"}));
  calls.clear();
  center.post("N");
  EXPECT_EQ(calls, (std::vector<std::string>{"last"}));
}

TEST(NotificationCenter, ObserverAddedDuringAPostJoinsFromTheNextPost) {
  NotificationCenter center;
  int added = 0;
  bool registered = false;
  center.addObserver("N", [&] {
    if (!registered) {
      registered = true;
      center.addObserver("N", [&] { ++added; });
    }
  });
  center.post("N");
  EXPECT_EQ(added, 0);
  center.post("N");
  EXPECT_EQ(added, 1);
}

TEST(ObserverRegistration, RemovesItsObserverWhenDestroyedAndMovesOwnership) {
  NotificationCenter center;
  int calls = 0;
  ObserverRegistration outer;
  {
    ObserverRegistration inner(center, center.addObserver("N", [&] { ++calls; }));
    center.post("N");
    outer = std::move(inner);
  }
  center.post("N");
  EXPECT_EQ(calls, 2) << "the moved-from registration must not remove the observer";
  outer.reset();
  center.post("N");
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace corvane::platform
