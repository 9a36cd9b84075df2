// SPDX-License-Identifier: GPL-3.0-or-later
#include "FloorReader.h"

#include <poll.h>

#include <array>

#include "BenchSupport.h"
#include "PacedDevice.h"
#include "core/link/Connect.h"

namespace vexa::bench {

using namespace std::chrono_literals;

FloorReader::FloorReader(const std::string& portPath) {
  if (port_.Open(portPath, LineSettings{3000000, 0, 0, 8}) != IoStatus::kOk) return;
  thread_ = std::thread([this] { Read(); });
}

FloorReader::~FloorReader() {
  stop_.Signal();
  if (thread_.joinable()) thread_.join();
}

void FloorReader::Read() {
  std::array<char, CConnect::kReadChunk> buffer;
  for (;;) {
    pollfd fds[2] = {{port_.Descriptor(), POLLIN, 0}, {stop_.Descriptor(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 || fds[1].revents != 0) return;
    const IoCount read = port_.Read(buffer.data(), buffer.size());
    if (read.status == IoStatus::kDeviceLost) return;
    bytes_.fetch_add(read.count, std::memory_order_relaxed);
  }
}

PacedFigures RunFloor(double rate, std::chrono::milliseconds duration) {
  PacedFigures figures;
  test::PseudoTerminal device;
  FloorReader reader(device.PortPath());
  if (!reader.IsOpen()) {
    figures.exact = false;
    return figures;
  }
  const auto cpuBefore = ProcessCpuTime();
  const auto wallBefore = std::chrono::steady_clock::now();
  PacedWriter writer(device, rate, duration);
  std::uint64_t lines = 0;
  while (!writer.Finished(lines)) std::this_thread::sleep_for(10ms);
  // What is still in the driver arrives within moments; then nothing more will.
  const std::uint64_t expected = lines * kLineBytes;
  for (int wait = 0; wait < 100 && reader.BytesRead() < expected; ++wait) {
    std::this_thread::sleep_for(10ms);
  }
  const auto wall = std::chrono::steady_clock::now() - wallBefore;
  const auto cpu = ProcessCpuTime() - cpuBefore;
  figures.cpuPercent = 100.0 * std::chrono::duration<double>(cpu).count() /
                       std::chrono::duration<double>(wall).count();
  figures.writtenMBps = writer.WrittenMBps(lines);
  figures.bytesLost = expected - std::min(expected, reader.BytesRead());
  figures.exact = reader.BytesRead() == expected;
  return figures;
}

bool KeptPace(const PacedFigures& figures, double rate) {
  return figures.writtenMBps >= 0.9 * rate / 1e6;
}

void RunSeries::Add(const PacedFigures& figures) {
  meanCpuPercent = (meanCpuPercent * runs + figures.cpuPercent) / (runs + 1);
  ++runs;
  if (figures.bytesLost != 0 || !figures.exact) ++runsWithLoss;
}

}  // namespace vexa::bench
