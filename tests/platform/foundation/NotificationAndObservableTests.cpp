#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "foundation/NotificationCenter.hpp"
#include "foundation/Pasteboard.hpp"
#include "observable/Published.hpp"
#include "test_support/TestEnvironment.hpp"

using platform::NotificationCenter;

TEST(NotificationCenter, DeliversByNameAndSenderUntilRemoved) {
  NotificationCenter center;
  int a = 0, b = 0, any = 0;
  int senderA = 0, senderB = 0;
  auto ta = center.addObserver("ready", &senderA, [&](const auto&) { ++a; });
  center.addObserver("ready", nullptr, [&](const auto&) { ++b; });
  center.addObserver("", nullptr, [&](const auto&) { ++any; });
  center.post("ready", &senderA);
  center.post("ready", &senderB);
  center.post("other");
  center.removeObserver(ta);
  center.post("ready", &senderA);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 3);
  EXPECT_EQ(any, 4);
}

TEST(NotificationCenter, ObserversMayRemoveThemselvesWhileBeingCalled) {
  NotificationCenter center;
  int calls = 0;
  NotificationCenter::Token token = 0;
  token = center.addObserver("n", nullptr, [&](const auto&) {
    ++calls;
    center.removeObserver(token);
  });
  center.post("n");
  center.post("n");
  EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, AnObserverRemovedByAnEarlierOneIsNotCalled) {
  NotificationCenter center;
  auto later = std::make_unique<int>(0);
  NotificationCenter::Token laterToken = 0;
  center.addObserver("n", nullptr, [&](const auto&) {
    center.removeObserver(laterToken);
    later.reset();  // what the later observer would touch is gone
  });
  laterToken = center.addObserver("n", nullptr, [&](const auto&) { ++*later; });
  center.post("n");
  EXPECT_EQ(later, nullptr);
}

// Objects that live until the process ends (the app registry, for one) stop
// observing in their destructors, which may run after every other static is gone.
TEST(NotificationCenterDeathTest, TheDefaultCenterServesUntilTheProcessEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: no other threads
  EXPECT_EXIT(
      {
        struct StopsObservingAtExit {
          NotificationCenter::Token token = 0;
          ~StopsObservingAtExit() {
            NotificationCenter::defaultCenter().post("exiting");
            NotificationCenter::defaultCenter().removeObserver(token);
          }
        };
        std::filesystem::remove_all(test_support::IsolatedEnvironment::root());  // this process's own
        static StopsObservingAtExit observer;  // made before the center is first used
        observer.token = NotificationCenter::defaultCenter().addObserver(
            "exiting", nullptr, [](const auto&) { std::fputs("heard at exit\n", stderr); });
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "heard at exit");
}

TEST(Published, ASubscriptionCancelledDuringASendIsNotCalled) {
  platform::Published<int> field(0);
  std::vector<int> heard;
  platform::Cancellable second;
  auto first = field.onChange([&](int) { second.cancel(); });
  second = field.onChange([&](int v) { heard.push_back(v); });
  field = 1;
  EXPECT_TRUE(heard.empty());
}

TEST(Signal, ACallbackMayDestroyTheSignal) {
  auto signal = std::make_unique<platform::Signal<int>>();
  int heard = 0;
  auto first = signal->subscribe([&](int) { signal.reset(); });
  auto second = signal->subscribe([&](int v) { heard = v; });
  const int value = 7;
  signal->send(value);
  EXPECT_EQ(signal, nullptr);
  EXPECT_EQ(heard, 7);  // the signal went, its subscribers stay subscribed
}

TEST(Published, TellsObserversBeforeAndAfterEachAssignment) {
  platform::Published<int> field(1);
  std::vector<std::string> events;
  auto before = field.onWillChange([&](int v) { events.push_back("will " + std::to_string(v) + " was " + std::to_string(*field)); });
  {
    auto after = field.onChange([&](int v) { events.push_back("did " + std::to_string(v)); });
    field = 2;
  }
  field = 3;  // the "did" subscription was cancelled with its token
  EXPECT_EQ(events, (std::vector<std::string>{"will 2 was 1", "did 2", "will 3 was 2"}));
}

TEST(Pasteboard, KeepsTextInMemoryWithoutADisplay) {
  auto& pb = platform::Pasteboard::general();
  pb.clearContents();
  EXPECT_EQ(pb.string(), std::nullopt);
  pb.setString("draft");
  EXPECT_EQ(pb.string(), "draft");
}
