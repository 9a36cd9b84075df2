// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Periodic and one-shot timers with 1 ms resolution, all run on one thread of their own
// (the roles of timeSetEvent and timeKillEvent).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

namespace vexa {

using TimerId = std::uint32_t;  // 0 is never a timer

class TimerService {
 public:
  enum class Repeat { kOnce, kPeriodic };
  using Callback = std::function<void()>;

  TimerService();
  // Cancels every timer and waits for a running callback. Not from inside a callback.
  ~TimerService();
  TimerService(const TimerService&) = delete;
  TimerService& operator=(const TimerService&) = delete;

  // Runs `callback` after `delayMs`, and for kPeriodic every `delayMs` after that.
  // 0 when the delay is below 1 ms.
  TimerId SetEvent(std::int32_t delayMs, Repeat repeat, Callback callback);

  // Returns only when the timer's callback is not running and will never run again, except
  // when called from inside that callback (then it only cancels what is still to come).
  // false when no such timer was waiting (unknown, or a one-shot that already fired).
  bool KillEvent(TimerId id);

 private:
  using Clock = std::chrono::steady_clock;
  struct Timer {
    Clock::time_point due;
    Clock::duration period;  // zero for a one-shot
    std::shared_ptr<Callback> callback;
  };

  void Run();
  void FireLocked(std::unique_lock<std::mutex>& lock, TimerId id);
  TimerId NextFreeIdLocked();

  std::mutex mutex_;
  std::condition_variable scheduleChanged_;
  std::condition_variable callbackReturned_;
  std::map<TimerId, Timer> timers_;
  std::set<std::pair<Clock::time_point, TimerId>> schedule_;
  TimerId running_ = 0;
  TimerId lastId_ = 0;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace vexa
