// SPDX-License-Identifier: GPL-3.0-or-later
// CPU use of the whole process while connected and idle for 5 s (receive thread and timer
// thread waiting, an automatic answer registered).

#include <cstdio>
#include <thread>

#include "BenchSupport.h"

int main() {
  using namespace vexa;
  using namespace std::chrono;
  bench::ConnectedSession link(bench::MakeItem("ATA\r\n", "RING", 0, 1));
  if (!link.connected) return 1;
  std::this_thread::sleep_for(milliseconds(200));

  const microseconds cpuBefore = bench::ProcessCpuTime();
  const steady_clock::time_point start = steady_clock::now();
  std::this_thread::sleep_for(seconds(5));
  const double wall = duration<double>(steady_clock::now() - start).count();
  const double cpu = duration<double>(bench::ProcessCpuTime() - cpuBefore).count();

  std::printf("idle CPU while connected (5 s): %.3f %% (%.1f ms of CPU)\n", 100.0 * cpu / wall,
              cpu * 1000);
  return 0;
}
