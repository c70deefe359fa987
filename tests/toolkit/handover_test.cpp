// Work handed over to the event thread by other threads.  Needs no
// display; runs under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "toolkit/toolkit.h"

namespace {

// Work handed over by other threads runs on the event thread, once for
// every batch of wakes before it, while the loop waits for events; a
// destroyed waker's pending run is dropped.
TEST(WakerTest, WorkFromOtherThreadsRunsOnTheEventThread) {
  tk::Open();
  const std::thread::id eventThread = std::this_thread::get_id();
  int runs = 0;
  bool onEventThread = true;
  tk::Waker waker;
  waker.SetWork([&] {
    ++runs;
    onEventThread = onEventThread && std::this_thread::get_id() == eventThread;
  });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&waker] {
      for (int i = 0; i < 1000; ++i) waker.Wake();
    });
  for (std::thread& t : threads) t.join();
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (runs == 0 && std::chrono::steady_clock::now() < give_up) tk::LoopWait(0.1);
  EXPECT_GE(runs, 1);
  EXPECT_LE(runs, 4000);
  EXPECT_TRUE(onEventThread);

  // A wake answered while the loop waits, without polling.
  const int before = runs;
  std::thread later([&waker] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    waker.Wake();
  });
  const auto start = std::chrono::steady_clock::now();
  while (runs == before && std::chrono::steady_clock::now() < give_up) tk::LoopWait(5.0);
  later.join();
  EXPECT_EQ(runs, before + 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));

  bool ranAfterEnd = false;
  {
    tk::Waker gone;
    gone.SetWork([&] { ranAfterEnd = true; });
    gone.Wake();
  }
  for (int i = 0; i < 5; ++i) tk::LoopWait(0.01);
  EXPECT_FALSE(ranAfterEnd);
  tk::Close();
}

}  // namespace
