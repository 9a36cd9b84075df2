// SPDX-License-Identifier: GPL-3.0-or-later
// An item with period 10 ms runs for 10 s. Figures: |interval - 10 ms| between arrivals at
// the device; to tell the timers from the pseudo-terminal's own delivery, between the
// callbacks of the timer service alone, and between arrivals of bytes written every 10 ms
// straight into the pseudo-terminal (no Vexa code between).

#include <cmath>
#include <thread>

#include "BenchSupport.h"
#include "platform/ThreadPriority.h"
#include "platform/TimerService.h"
#include "platform/TtyPort.h"

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

// Arrival times at the device of one byte a period for `duration`, written by `write`.
template <typename Write>
std::vector<Clock::time_point> Arrivals(vexa::test::PseudoTerminal& device, Write write) {
  std::vector<Clock::time_point> arrivals;
  std::thread writer(write);
  while (!device.Read(1, std::chrono::seconds(1)).empty()) arrivals.push_back(Clock::now());
  writer.join();
  return arrivals;
}

}  // namespace

int main() {
  using namespace vexa;
  using namespace std::chrono;
  bench::ConnectedSession link(bench::MakeItem("T", "", 10, 1));
  if (!link.connected) return 1;

  AskForRealTimePriority();  // the device is hardware: its own reaction is not measured
  const std::vector<Clock::time_point> arrivals = Arrivals(link.device, [&] {
    std::this_thread::sleep_for(seconds(10));
    link.session.Disconnect();
  });
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

  test::PseudoTerminal bare;
  TtyPort port;
  if (port.Open(bare.PortPath(), {}) != IoStatus::kOk) return 1;
  const std::vector<Clock::time_point> floor = Arrivals(bare, [&] {
    AskForRealTimePriority();
    Clock::time_point next = Clock::now();
    for (int i = 0; i < 1000; ++i) {
      std::this_thread::sleep_until(next += milliseconds(10));
      port.WriteAll("T", seconds(1));
    }
    port.Close();
  });
  bench::PrintPercentiles("pseudo-terminal alone, bytes written every 10 ms (floor)",
                          IntervalErrors(floor), "ms");
  return 0;
}
