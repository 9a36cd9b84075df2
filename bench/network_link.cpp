// SPDX-License-Identifier: GPL-3.0-or-later
// A serial port on another machine against the same device on this one: a pseudo-terminal
// read directly, and the same pseudo-terminal served by ser2net on loopback as raw TCP and as
// RFC 2217. For each: the highest paced rate of 16-byte lines that arrives whole, and the
// automatic-answer latency (delay 1 ms) measured at the device.
//
//   bench_network_link [seconds per rate]

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "support/Ser2net.h"

namespace {

using namespace std::chrono;
using Clock = steady_clock;

constexpr std::size_t kLineBytes = 16;

struct Link {
  explicit Link(const std::string& portName) {
    tree.AppendItem(nullptr, vexa::bench::MakeItem("ATA\r\n", "RING", 0, 1));
    settings.portName = portName;
    settings.baudRate = 3000000;
    open = session.Open(settings) == vexa::OpenResult::kOk;
    if (open) session.StartSending();
  }
  ~Link() { session.Disconnect(); }

  // Drains until `stop` says so; every line is answered, as the window does.
  std::uint64_t DrainWhile(const std::function<bool()>& goOn) {
    std::uint64_t bytes = 0;
    while (goOn()) {
      notifier.WaitForRecords(milliseconds(20));
      session.DrainReceived([&](std::string_view record) {
        bytes += record.size();
        vexa::SplitReceivedRecord(record, settings.receiveTerminator,
                                  [&](std::string_view line) { session.AnswerReceivedLine(line); });
      });
    }
    return bytes;
  }

  vexa::CommandTree tree;
  vexa::bench::WaitingNotifier notifier;
  vexa::LinkSession session{tree, notifier};
  vexa::CommSettings settings;
  bool open = false;
};

// The device writes 16-byte lines at `rate` bytes/s for `span`; true when every byte
// arrived and the rate was kept.
bool ArrivesWhole(Link& link, vexa::test::PseudoTerminal& device, double rate, seconds span) {
  std::string block;
  while (block.size() < 4096) block += "0123456789ABCD\r\n";
  std::atomic<std::uint64_t> written{0};
  std::atomic<bool> writing{true};
  std::thread writer([&] {
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + span;
    for (Clock::time_point now = start; now < end; now = Clock::now()) {
      const auto due = static_cast<std::uint64_t>(rate * duration<double>(now - start).count());
      if (written < due) {
        const std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(due - written, block.size())) /
            kLineBytes * kLineBytes;
        if (size > 0 && device.Write(std::string_view(block).substr(0, size), seconds(1)))
          written += size;
      } else {
        std::this_thread::sleep_for(microseconds(500));
      }
    }
    writing = false;
  });
  const Clock::time_point quietBy = Clock::now() + span + seconds(3);
  std::uint64_t received = 0;
  received +=
      link.DrainWhile([&] { return (writing || received < written) && Clock::now() < quietBy; });
  writer.join();
  received += link.DrainWhile(
      [&, until = Clock::now() + milliseconds(300)] { return Clock::now() < until; });
  const double kept = written / rate / duration<double>(span).count();
  return received == written && kept > 0.95 && link.session.Dropped().bytes == 0;
}

std::vector<double> AnswerLatencies(Link& link, vexa::test::PseudoTerminal& device) {
  std::vector<double> latencies;
  std::atomic<bool> done{false};
  std::thread deviceSide([&] {
    for (int trial = 0; trial < 500; ++trial) {
      const Clock::time_point sent = Clock::now();
      if (!device.Write("RING\r\n")) break;
      if (device.Read(1, seconds(1)).empty()) break;
      latencies.push_back(duration<double, std::milli>(Clock::now() - sent).count());
      device.ReadUntilQuiet(milliseconds(3));
    }
    done = true;
  });
  link.DrainWhile([&] { return !done; });
  deviceSide.join();
  return latencies;
}

void Measure(const char* label, const std::string& portName, vexa::test::PseudoTerminal& device,
             seconds perRate) {
  Link link(portName);
  if (!link.open) {
    std::printf("%s: cannot open %s\n", label, portName.c_str());
    return;
  }
  // ser2net puts the device into raw mode once the connection is there.
  vexa::test::WaitUntil([&] { return (device.LineState().c_lflag & ICANON) == 0; });
  double best = 0;
  for (double rate : {1e6, 5e6, 10e6, 20e6, 40e6}) {
    if (!ArrivesWhole(link, device, rate, perRate)) break;
    best = rate;
  }
  std::printf("%-30s highest zero-loss rate %5.1f MB/s; ", label, best / 1e6);
  vexa::bench::PrintPercentiles("automatic answer", AnswerLatencies(link, device), "ms");
}

}  // namespace

int main(int argc, char** argv) {
  const seconds perRate(argc > 1 ? std::max(1, std::atoi(argv[1])) : 5);
  vexa::test::PseudoTerminal device;
  std::printf("16-byte lines, %lld s per rate (1, 5, 10, 20, 40 MB/s); answer delay 1 ms:\n",
              static_cast<long long>(perRate.count()));
  Measure("pseudo-terminal directly", device.PortPath(), device, perRate);
  for (bool rfc2217 : {false, true}) {
    vexa::test::Ser2net server(device.PortPath());
    if (!server.Running()) {
      std::printf("ser2net did not start\n");
      return 1;
    }
    Measure(rfc2217 ? "ser2net on loopback, RFC 2217" : "ser2net on loopback, raw TCP",
            rfc2217 ? server.Rfc2217Name() : server.RawName(), device, perRate);
  }
  return 0;
}
