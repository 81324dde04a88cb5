// Work handed to the GUI thread runs there, once, in order, and its failure returns to the thread
// that handed it over; the waker hears of every request.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/sync_queue.h"

namespace {

struct TCountingQueue {
  TSyncQueue queue;
  std::atomic<int> raised{0}, lowered{0};

  TCountingQueue() {
    queue.SetGuiThread(std::this_thread::get_id());
    queue.SetWaker({[this] { ++raised; }, [this] { ++lowered; }});
  }
  // Drains on this (the GUI) thread until done holds.
  template <class TDone>
  void DrainUntil(TDone done) {
    while (!done()) {
      queue.Drain();
      std::this_thread::yield();
    }
  }
};

TEST(SyncQueue, WorkOnTheGuiThreadRunsAtOnceWithoutWaking) {
  TCountingQueue q;
  bool ran = false;
  q.queue.Run([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_EQ(q.raised, 0);
  EXPECT_FALSE(q.queue.Drain());
  EXPECT_THROW(q.queue.Run([] { throw std::runtime_error("here"); }), std::runtime_error);
}

TEST(SyncQueue, AWorkerWaitsUntilTheGuiThreadHasRunItsWorkAndGetsItsFailureBack) {
  TCountingQueue q;
  std::thread::id ran_on;
  std::atomic<bool> returned{false};
  std::string caught;
  std::thread worker([&] {
    q.queue.Run([&] { ran_on = std::this_thread::get_id(); });
    try {
      q.queue.Run([] { throw std::runtime_error("из GUI"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
    returned = true;
  });
  while (q.raised == 0) std::this_thread::yield();
  EXPECT_FALSE(returned) << "returned before its work ran";
  q.DrainUntil([&] { return returned.load(); });
  worker.join();
  EXPECT_EQ(ran_on, std::this_thread::get_id());
  EXPECT_EQ(caught, "из GUI");
  EXPECT_EQ(q.raised, 2);
  EXPECT_GE(q.lowered, 2);
  EXPECT_FALSE(q.queue.Drain());
}

TEST(SyncQueue, EveryRequestOfManyWorkersRunsOnceInTheOrderOfEachWorker) {
  TCountingQueue q;
  constexpr int kWorkers = 6, kRequests = 300;
  std::vector<std::vector<int>> seen(kWorkers);  // written on the GUI thread only
  std::atomic<int> finished{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      for (int i = 0; i < kRequests; ++i) q.queue.Run([&, w, i] { seen[w].push_back(i); });
      ++finished;
    });
  }
  q.DrainUntil([&] { return finished == kWorkers; });
  for (std::thread& t : workers) t.join();
  for (int w = 0; w < kWorkers; ++w) {
    ASSERT_EQ(seen[w].size(), static_cast<std::size_t>(kRequests)) << w;
    for (int i = 0; i < kRequests; ++i) EXPECT_EQ(seen[w][i], i) << w;
  }
  EXPECT_EQ(q.raised, kWorkers * kRequests);
}

TEST(SyncQueue, ANewWakerReplacesTheOldOneWhichIsHandedBack) {
  TSyncQueue queue;
  int first = 0, second = 0;
  queue.SetWaker({[&] { ++first; }, {}});
  TSyncQueue::TWaker before = queue.SetWaker({[&] { ++second; }, {}});
  before.raise();
  EXPECT_EQ(first, 1);
  std::thread worker([&] { queue.Run([] {}); });
  while (!queue.Drain()) std::this_thread::yield();
  worker.join();
  EXPECT_EQ(second, 1);
  EXPECT_EQ(first, 1);
}

}  // namespace
