// SPDX-License-Identifier: GPL-3.0-or-later
// The device writes 16-byte lines as fast as it can for 5 s; the owner thread drains the
// queue on every notice. Figures: bytes/s and records/s through ReadRecord -> ReceiveQueue ->
// the drain, and the records the full queue dropped.

#include <atomic>
#include <cstdio>
#include <thread>

#include "BenchSupport.h"

int main() {
  using namespace vexa;
  using namespace std::chrono;
  bench::ConnectedSession link;
  if (!link.connected) return 1;
  test::PseudoTerminal& device = link.device;
  LinkSession& session = link.session;

  std::string block;
  while (block.size() < 64 * 1024) block += "0123456789ABCD\r\n";
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    while (!stop && device.Write(block, seconds(1))) {
    }
  });

  std::uint64_t records = 0;
  std::uint64_t bytes = 0;
  const steady_clock::time_point start = steady_clock::now();
  const steady_clock::time_point end = start + seconds(5);
  while (steady_clock::now() < end) {
    link.notifier.WaitForRecords(milliseconds(100));
    session.DrainReceived([&](std::string_view record) {
      ++records;
      bytes += record.size();
    });
  }
  const double elapsed = duration<double>(steady_clock::now() - start).count();
  stop = true;
  writer.join();
  const DroppedRecords dropped = session.Dropped();

  std::printf(
      "receive throughput (16-byte lines, 5 s): %.1f MB/s, %.2f M records/s; "
      "dropped %llu records (%llu bytes)\n",
      bytes / elapsed / 1e6, records / elapsed / 1e6,
      static_cast<unsigned long long>(dropped.records),
      static_cast<unsigned long long>(dropped.bytes));
  return 0;
}
