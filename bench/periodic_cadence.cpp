// An item with period 10 ms runs for 10 s. Figures: |interval - 10 ms| between arrivals at
// the device, and, to tell the timers from the pseudo-terminal's own delivery, between the
// callbacks of the timer service alone.

#include <cmath>
#include <thread>

#include "BenchSupport.h"
#include "platform/ThreadPriority.h"
#include "platform/TimerService.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<double> IntervalErrors(const std::vector<Clock::time_point>& times) {
  std::vector<double> errors;
  for (std::size_t i = 1; i < times.size(); ++i) {
    errors.push_back(
        std::abs(std::chrono::duration<double, std::milli>(times[i] - times[i - 1]).count() - 10));
  }
  return errors;
}

}  // namespace

int main() {
  using namespace vexa;
  using namespace std::chrono;
  bench::ConnectedSession link(bench::MakeItem("T", "", 10, 1));
  if (!link.connected) return 1;

  AskForRealTimePriority();  // the device is hardware: its own reaction is not measured
  std::vector<Clock::time_point> arrivals;
  const Clock::time_point end = Clock::now() + seconds(10);
  while (Clock::now() < end && !link.device.Read(1, seconds(1)).empty()) {
    arrivals.push_back(Clock::now());
  }
  link.session.Disconnect();
  bench::PrintPercentiles("periodic cadence error at the device (period 10 ms, 10 s)",
                          IntervalErrors(arrivals), "ms");

  std::vector<Clock::time_point> ticks;
  ticks.reserve(1100);
  {
    TimerService timers;
    const TimerId id = timers.SetEvent(10, TimerService::Repeat::kPeriodic,
                                       [&] { ticks.push_back(Clock::now()); });
    std::this_thread::sleep_for(seconds(10));
    timers.KillEvent(id);
  }
  bench::PrintPercentiles("periodic cadence error at the timer callback (10 ms, 10 s)",
                          IntervalErrors(ticks), "ms");
  return 0;
}
