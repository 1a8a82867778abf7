#include <atomic>
#include <future>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "foundation/Dispatch.hpp"
#include "test_support/TestEnvironment.hpp"

using platform::DispatchDeadlock;
using platform::DispatchQueue;
using namespace std::chrono_literals;

TEST(Dispatch, SerialQueueRunsItemsInOrderOnOneThread) {
  DispatchQueue queue("test.order");
  std::vector<int> seen;
  std::set<std::thread::id> threads;
  for (int i = 0; i < 200; ++i)
    queue.async([&, i] {
      seen.push_back(i);
      threads.insert(std::this_thread::get_id());
    });
  queue.sync([] {});
  ASSERT_EQ(seen.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(seen[i], i);
  EXPECT_EQ(threads.size(), 1u);
  EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
}

TEST(Dispatch, SyncOntoTheCurrentQueueFailsLoudly) {
  DispatchQueue a("test.a"), b("test.b");
  bool directThrew = false, nestedThrew = false;
  a.sync([&] {
    EXPECT_TRUE(a.isCurrent());
    try {
      a.sync([] {});
    } catch (const DispatchDeadlock&) {
      directThrew = true;
    }
    // a -> b -> a would wait forever too.
    b.sync([&] {
      try {
        a.sync([] {});
      } catch (const DispatchDeadlock&) {
        nestedThrew = true;
      }
    });
  });
  EXPECT_TRUE(directThrew);
  EXPECT_TRUE(nestedThrew);
  EXPECT_THROW(DispatchQueue::main().sync([] {}), DispatchDeadlock);
}

TEST(Dispatch, AQueueDestroyedByItsOwnItemIsSafe) {
  std::atomic<bool> finished = false;
  // The item may run, and free the queue, while async() is still adding it.
  for (int round = 0; round < 100; ++round) {
    std::atomic<bool> deleted = false;
    auto* queue = new DispatchQueue("test.self-destroy");
    queue->async([queue, &deleted] {
      delete queue;
      deleted = true;
    });
    while (!deleted) std::this_thread::yield();
  }
  auto probe = std::make_unique<DispatchQueue>("test.probe");
  probe->async([&] { finished = true; });
  probe.reset();  // joins: everything queued ran
  EXPECT_TRUE(finished);
}

TEST(Dispatch, PendingWorkRunsBeforeTheQueueGoesAway) {
  std::atomic<int> ran = 0;
  {
    DispatchQueue queue("test.drain");
    for (int i = 0; i < 50; ++i) queue.async([&] { ++ran; });
  }
  EXPECT_EQ(ran, 50);
}

TEST(Dispatch, MainQueueRunsOnTheMainThreadInDueOrder) {
  std::vector<std::string> order;
  auto& main = DispatchQueue::main();
  main.async([&] { order.push_back("first"); });
  std::thread([&] { main.async([&] { order.push_back(platform::isMainThread() ? "from thread, on main" : "wrong"); }); })
      .join();
  // Added last and due later than both, however long the thread took.
  main.asyncAfter(30ms, [&] { order.push_back("late"); });
  EXPECT_TRUE(order.empty());  // nothing runs until the main queue is drained
  EXPECT_TRUE(test_support::runMainQueueUntil([&] { return order.size() == 3; }));
  EXPECT_EQ(order, (std::vector<std::string>{"first", "from thread, on main", "late"}));
}

TEST(Dispatch, SyncOntoMainFromAnotherThreadWaitsForTheRunLoop) {
  std::atomic<bool> done = false;
  std::thread worker([&] {
    DispatchQueue::main().sync([] { EXPECT_TRUE(platform::isMainThread()); });
    done = true;
  });
  EXPECT_TRUE(test_support::runMainQueueUntil([&] { return done.load(); }));
  worker.join();
}

TEST(Dispatch, AnItemHoldingTheLastReferenceToItsQueueMayReleaseIt) {
  std::atomic<bool> queueDestroyed = false;
  std::promise<void> released;
  auto queue = std::make_shared<DispatchQueue>("test.last-owner");
  // Captures are destroyed in reverse order: the queue first, then the marker,
  // so the marker tells that the queue's destructor came back.
  queue->async([marker = std::shared_ptr<void>(nullptr, [&](void*) { queueDestroyed = true; }), owner = queue,
                go = released.get_future().share()] { go.wait(); });
  queue.reset();  // now only the queued item owns the queue
  released.set_value();
  EXPECT_TRUE(test_support::waitUntil([&] { return queueDestroyed.load(); }));
}
