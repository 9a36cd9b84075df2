// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TimerService.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <set>

#include "platform/Clock.h"
#include "support/WaitUntil.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;
using Repeat = TimerService::Repeat;

TEST(TimerService, OneShotFiresOnceAfterItsDelayAndPeriodicKeepsFiring) {
  TimerService timers;
  std::atomic<int> once{0};
  std::atomic<int> periodic{0};
  const auto start = std::chrono::steady_clock::now();
  std::atomic<std::chrono::steady_clock::duration> firedAfter{};
  ASSERT_NE(timers.SetEvent(30, Repeat::kOnce,
                            [&] {
                              firedAfter = std::chrono::steady_clock::now() - start;
                              ++once;
                            }),
            0u);
  const TimerId tick = timers.SetEvent(5, Repeat::kPeriodic, [&] { ++periodic; });
  ASSERT_NE(tick, 0u);
  ASSERT_TRUE(WaitUntil([&] { return periodic >= 20; }));
  ASSERT_TRUE(WaitUntil([&] { return once == 1; }));
  EXPECT_GE(firedAfter.load(), 30ms);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(once, 1);
  EXPECT_TRUE(timers.KillEvent(tick));
}

TEST(TimerService, RefusesDelaysBelowOneMillisecondAndNeverHandsOutZero) {
  TimerService timers;
  EXPECT_EQ(timers.SetEvent(0, Repeat::kOnce, [] {}), 0u);
  EXPECT_EQ(timers.SetEvent(-5, Repeat::kPeriodic, [] {}), 0u);
  EXPECT_EQ(timers.SetEvent(10, Repeat::kOnce, nullptr), 0u);
  std::set<TimerId> ids;
  for (int i = 0; i < 100; ++i) ids.insert(timers.SetEvent(100000, Repeat::kOnce, [] {}));
  EXPECT_EQ(ids.size(), 100u);
  EXPECT_EQ(ids.count(0), 0u);
}

TEST(TimerService, KilledTimerNeverFires) {
  TimerService timers;
  std::atomic<int> fired{0};
  const TimerId id = timers.SetEvent(50, Repeat::kOnce, [&] { ++fired; });
  EXPECT_TRUE(timers.KillEvent(id));
  EXPECT_FALSE(timers.KillEvent(id));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(fired, 0);

  const TimerId done = timers.SetEvent(1, Repeat::kOnce, [&] { ++fired; });
  ASSERT_TRUE(WaitUntil([&] { return fired == 1; }));
  EXPECT_FALSE(timers.KillEvent(done)) << "a one-shot that fired is no longer waiting";
}

TEST(TimerService, KillWaitsForTheRunningCallback) {
  TimerService timers;
  std::atomic<bool> entered{false};
  std::atomic<bool> finished{false};
  const TimerId id = timers.SetEvent(1, Repeat::kPeriodic, [&] {
    if (entered.exchange(true)) return;
    std::this_thread::sleep_for(150ms);
    finished = true;
  });
  ASSERT_TRUE(WaitUntil([&] { return entered.load(); }));
  timers.KillEvent(id);
  EXPECT_TRUE(finished);
}

TEST(TimerService, KillFromInsideItsOwnCallbackReturnsAndStopsIt) {
  TimerService timers;
  std::atomic<int> ticks{0};
  std::atomic<TimerId> id{0};
  std::atomic<bool> killed{false};
  id = timers.SetEvent(2, Repeat::kPeriodic, [&] {
    if (++ticks == 3) {
      id.wait(0);  // blocks: a real-time callback must not spin on the test thread
      timers.KillEvent(id);
      killed = true;
    }
  });
  id.notify_all();
  ASSERT_TRUE(WaitUntil([&] { return killed.load(); }));
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(ticks, 3);
}

// Kills land at random moments of 1 ms timers, often while a callback runs: after KillEvent
// returns, that timer's callback must not be running and must never start again.
TEST(TimerService, NoCallbackAfterKillWhileFiring) {
  TimerService timers;
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> pause(0, 3000);
  constexpr int kTimers = 8;
  constexpr int kRounds = 60;
  std::atomic<int> lateCallbacks{0};
  std::atomic<int> calls{0};
  for (int round = 0; round < kRounds; ++round) {
    std::atomic<bool> killed[kTimers];
    TimerId ids[kTimers];
    for (int i = 0; i < kTimers; ++i) {
      killed[i] = false;
      ids[i] = timers.SetEvent(1, i % 2 ? Repeat::kPeriodic : Repeat::kOnce, [&, i] {
        ++calls;
        if (killed[i]) ++lateCallbacks;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (killed[i]) ++lateCallbacks;
      });
      ASSERT_NE(ids[i], 0u);
    }
    for (int i = 0; i < kTimers; ++i) {
      std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
      timers.KillEvent(ids[i]);
      killed[i] = true;
    }
    std::this_thread::sleep_for(3ms);
  }
  EXPECT_EQ(lateCallbacks, 0);
  EXPECT_GT(calls, kRounds) << "the kills should have raced with firing";
}

TEST(Clock, ElapsedIsCorrectAcrossTheWrap) {
  EXPECT_EQ(ElapsedMs(0xFFFFFFF0u, 0x10u), 0x20u);
  EXPECT_EQ(ElapsedMs(5, 5), 0u);
  const std::uint32_t before = TimeGetTime();
  std::this_thread::sleep_for(20ms);
  EXPECT_GE(ElapsedMs(before, TimeGetTime()), 20u);
}

}  // namespace
}  // namespace vexa
