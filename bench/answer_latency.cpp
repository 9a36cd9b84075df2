// SPDX-License-Identifier: GPL-3.0-or-later
// The device writes "RING\r\n"; an item answers it with delay 1 ms. Figure: time from the
// device's write to the first answer byte at the device, over 1000 trials.

#include <atomic>
#include <thread>

#include "BenchSupport.h"
#include "platform/ThreadPriority.h"

int main() {
  using namespace vexa;
  using namespace std::chrono;
  bench::ConnectedSession link(bench::MakeItem("ATA\r\n", "RING", 0, 1));
  if (!link.connected) return 1;
  test::PseudoTerminal& device = link.device;
  LinkSession& session = link.session;

  std::atomic<bool> done{false};
  std::vector<double> latencies;
  std::thread deviceSide([&] {
    AskForRealTimePriority();  // the device is hardware: its own reaction is not measured
    for (int trial = 0; trial < 1000; ++trial) {
      const steady_clock::time_point written = steady_clock::now();
      if (!device.Write("RING\r\n")) break;
      if (device.Read(1, seconds(1)).empty()) break;
      latencies.push_back(duration<double, std::milli>(steady_clock::now() - written).count());
      device.ReadUntilQuiet(milliseconds(3));  // the rest of the answer
    }
    done = true;
  });
  // The owner thread, as the window's drain handler would run it.
  while (!done) {
    link.notifier.WaitForRecords(milliseconds(50));
    session.DrainReceived([&](std::string_view record) {
      SplitReceivedRecord(record, link.settings.receiveTerminator,
                          [&](std::string_view line) { session.AnswerReceivedLine(line); });
    });
  }
  deviceSide.join();
  bench::PrintPercentiles("automatic-answer latency (delay 1 ms, 1000 trials)", latencies, "ms");
  return 0;
}
