// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TimerService.h"

#include "platform/ThreadPriority.h"

namespace vexa {

TimerService::TimerService() : worker_([this] { Run(); }) {}

TimerService::~TimerService() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    timers_.clear();
    schedule_.clear();
  }
  scheduleChanged_.notify_all();
  worker_.join();
}

TimerId TimerService::SetEvent(std::int32_t delayMs, Repeat repeat, Callback callback) {
  if (delayMs < 1 || !callback) return 0;
  const Clock::duration delay = std::chrono::milliseconds(delayMs);
  std::lock_guard lock(mutex_);
  const TimerId id = NextFreeIdLocked();
  const Clock::time_point due = Clock::now() + delay;
  timers_.emplace(id, Timer{due, repeat == Repeat::kPeriodic ? delay : Clock::duration::zero(),
                            std::make_shared<Callback>(std::move(callback))});
  schedule_.emplace(due, id);
  scheduleChanged_.notify_one();
  return id;
}

bool TimerService::KillEvent(TimerId id) {
  std::unique_lock lock(mutex_);
  const auto found = timers_.find(id);
  const bool waiting = found != timers_.end();
  if (waiting) {
    schedule_.erase({found->second.due, id});
    timers_.erase(found);
  }
  if (std::this_thread::get_id() != worker_.get_id()) {
    callbackReturned_.wait(lock, [&] { return running_ != id; });
  }
  return waiting;
}

// Ids count up rather than reuse the lowest free one, so a stale id held somewhere is
// unlikely to name a newer timer.
TimerId TimerService::NextFreeIdLocked() {
  do {
    ++lastId_;
  } while (lastId_ == 0 || timers_.count(lastId_) != 0 || lastId_ == running_);
  return lastId_;
}

void TimerService::Run() {
  // Ticks must not wait behind busy threads of the desktop, as those of the multimedia timer
  // thread this stands in for did not.
  AskForRealTimePriority();
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (schedule_.empty()) {
      scheduleChanged_.wait(lock);
      continue;
    }
    const auto [due, id] = *schedule_.begin();
    if (Clock::now() < due) {
      scheduleChanged_.wait_until(lock, due);
      continue;
    }
    FireLocked(lock, id);
  }
}

void TimerService::FireLocked(std::unique_lock<std::mutex>& lock, TimerId id) {
  const auto found = timers_.find(id);
  Timer& timer = found->second;
  schedule_.erase(schedule_.begin());
  const std::shared_ptr<Callback> callback = timer.callback;
  if (timer.period == Clock::duration::zero()) {
    timers_.erase(found);
  } else {
    // Keep the cadence; after a stall longer than a period, start over from now.
    const Clock::time_point now = Clock::now();
    timer.due += timer.period;
    if (timer.due <= now) timer.due = now + timer.period;
    schedule_.emplace(timer.due, id);
  }
  running_ = id;
  lock.unlock();
  (*callback)();
  lock.lock();
  running_ = 0;
  callbackReturned_.notify_all();
}

}  // namespace vexa
