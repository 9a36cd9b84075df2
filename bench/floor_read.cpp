// SPDX-License-Identifier: GPL-3.0-or-later
// The floor: what merely reading a pseudo-terminal costs, with the receive path's read size
// and nothing else. Idle CPU, CPU at 1 MB/s and how many of N runs lost bytes, the highest
// paced rate of 16-byte lines read without loss, peak memory.
//
//   bench_floor_read [runs at 1 MB/s [seconds per run]]

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "BenchSupport.h"
#include "FloorReader.h"
#include "PacedDevice.h"

int main(int argc, char** argv) {
  using namespace vexa::bench;
  using namespace std::chrono;
  const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
  const milliseconds duration(argc > 2 ? std::atoi(argv[2]) * 1000 : 5000);

  {
    vexa::test::PseudoTerminal device;
    FloorReader reader(device.PortPath());
    const auto before = ProcessCpuTime();
    std::this_thread::sleep_for(5s);
    std::printf("floor, idle: %.3f %% CPU\n",
                100.0 * std::chrono::duration<double>(ProcessCpuTime() - before).count() / 5);
  }

  RunSeries series;
  for (int run = 0; run < runs; ++run) series.Add(RunFloor(1e6, duration));
  std::printf("floor, 1 MB/s: %.2f %% CPU (mean of %d runs), %d of %d runs lost bytes\n",
              series.meanCpuPercent, series.runs, series.runsWithLoss, series.runs);

  double best = 0;
  for (double rate : {10e6, 30e6, 60e6, 100e6, 150e6, 200e6, 300e6}) {
    const PacedFigures figures = RunFloor(rate, duration);
    std::printf("floor, offered %5.0f MB/s: written %5.1f MB/s, lost %llu bytes, %.1f %% CPU\n",
                rate / 1e6, figures.writtenMBps, static_cast<unsigned long long>(figures.bytesLost),
                figures.cpuPercent);
    std::fflush(stdout);
    if (figures.bytesLost != 0 || !figures.exact) break;
    best = std::max(best, figures.writtenMBps);
    if (!KeptPace(figures, rate)) break;
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("floor, highest zero-loss rate: %.1f MB/s; peak resident memory %ld MB\n", best,
              usage.ru_maxrss / 1024);
  return 0;
}
