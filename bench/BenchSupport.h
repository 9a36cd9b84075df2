// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every serial benchmark needs: a pseudo-terminal device, a session on it, the owner's
// side of the notifications, and the figures.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/items/Attr.h"
#include "core/items/ItemTree.h"
#include "core/link/LinkNotifier.h"
#include "core/link/LinkSession.h"
#include "core/settings/CommSettings.h"
#include "support/PseudoTerminal.h"

namespace vexa::bench {

// The owner's side, as the headless runner would have it: notices wake a waiting thread.
class WaitingNotifier : public LinkNotifier {
 public:
  void RecordsReady() override;
  void SendFailed() override;
  void DeviceLost() override;
  void AnswerTimerFailed() override;

  // Waits for a RecordsReady at most `limit`; true when one came.
  bool WaitForRecords(std::chrono::milliseconds limit);
  int Failures() const { return failures_.load(); }

 private:
  void Fail();
  std::mutex mutex_;
  std::condition_variable wake_;
  bool recordsReady_ = false;
  std::atomic<int> failures_{0};
};

// An item sending `send` (text, no terminator), answering lines that begin with `answerTo`.
std::unique_ptr<CAttr> MakeItem(const std::string& send, const std::string& answerTo,
                                std::int32_t repeatPeriod, std::int32_t answerDelay);

// A session connected to a pseudo-terminal device (CR LF records, 100 ms time-out, a fast
// line), with `item`, if any, as its tree.
struct ConnectedSession {
  explicit ConnectedSession(std::unique_ptr<CAttr> item = nullptr);
  ~ConnectedSession() { session.Disconnect(); }

  test::PseudoTerminal device;
  CommandTree tree;
  WaitingNotifier notifier;
  LinkSession session{tree, notifier};
  CommSettings settings;
  bool connected = false;
};

// Prints "name: p50 a, p99 b, max c unit" of the samples.
void PrintPercentiles(const std::string& name, std::vector<double> samples, const char* unit);

// A command file of `items` commands in groups of 10 under headings; every fifth command
// repeats every 1000 ms, every seventh answers "RING" after 250 ms.
std::string GenerateCommandFile(int items);

// A fresh folder under the temporary folder for a benchmark's files, which also holds this
// process's preferences; a large command file of `items` commands is written into it as
// "large.vxp".
std::filesystem::path PrepareScratchFolder(const std::string& name, int items);

// As GenerateCommandFile, as many whole lines as fit into `bytes`.
std::string GenerateCommandFileOfSize(std::size_t bytes);

// The most this process has had resident since the last ResetPeakResident (all of its life
// where the kernel cannot reset the mark), and what it has resident now.
std::size_t PeakResidentBytes();
std::size_t ResidentBytes();
void ResetPeakResident();

// Wall time `fn` takes, in milliseconds.
template <typename Fn>
double TimeMs(Fn&& fn) {
  const auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// CPU time this process, and the calling thread, have used so far.
std::chrono::microseconds ProcessCpuTime();
std::chrono::nanoseconds ThreadCpuTime();

}  // namespace vexa::bench
