// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The floor every receive figure is held against: one thread that reads the port side of a
// pseudo-terminal as the receive thread does (poll, then reads of the receive path's size)
// and does nothing with the bytes.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/TtyPort.h"
#include "platform/WakeEvent.h"

namespace vexa::bench {

class FloorReader {
 public:
  explicit FloorReader(const std::string& portPath);
  ~FloorReader();
  FloorReader(const FloorReader&) = delete;
  FloorReader& operator=(const FloorReader&) = delete;

  bool IsOpen() const { return port_.IsOpen(); }
  std::uint64_t BytesRead() const { return bytes_.load(std::memory_order_relaxed); }

 private:
  void Read();

  TtyPort port_;
  WakeEvent stop_;
  std::atomic<std::uint64_t> bytes_{0};
  std::thread thread_;
};

struct PacedFigures {
  double cpuPercent = 0;        // of one core, for the whole process
  double writtenMBps = 0;       // what the device managed to write
  std::uint64_t bytesLost = 0;  // written but never read (floor) or dropped/not logged
  bool exact = true;            // what was read is what was written
};

// Whether the device wrote at about the offered `rate` (bytes/s). Below it the device itself was
// the limit (its writes waited for room), so the run says nothing about the reader.
bool KeptPace(const PacedFigures& figures, double rate);

// One paced run of numbered lines against the floor.
PacedFigures RunFloor(double rate, std::chrono::milliseconds duration);

// "n of N runs lost bytes" over `runs`, and their mean CPU.
struct RunSeries {
  int runs = 0;
  int runsWithLoss = 0;
  double meanCpuPercent = 0;
  void Add(const PacedFigures& figures);
};

}  // namespace vexa::bench
