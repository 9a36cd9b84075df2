// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One run of vexa-run: load, connect, send, print what arrives, end.

#include <atomic>
#include <chrono>
#include <iosfwd>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "LineOutput.h"
#include "RunOptions.h"
#include "core/items/ItemTree.h"
#include "core/link/LinkNotifier.h"
#include "core/link/PortNames.h"
#include "core/workspace/Workspace.h"
#include "platform/WakeEvent.h"

namespace vexa::run {

enum ExitStatus : int { kExitOk = 0, kExitUntilMissed = 1, kExitError = 2, kExitDataLost = 3 };

using Clock = std::chrono::steady_clock;

class Runner final : public LinkNotifier, private ReceivedLineSink {
 public:
  // Prints on the descriptor `out` (which may be a pipe whose reader pauses or goes away).
  Runner(RunOptions options, int out, std::ostream& err, PortLookup lookup);
  ~Runner() override;

  // Runs to the end; the exit status.
  int Run();

  // Asks a running Run to end as if its time were up (from a signal handler's thread); once
  // it is ending, stops waiting for a stalled output.
  void RequestStop();

  // LinkNotifier: called from the link's threads.
  void RecordsReady() override;
  void SendFailed() override;
  void DeviceLost() override;
  void AnswerTimerFailed() override;
  void LinkStateChanged() override;

 private:
  struct PreparedSend {
    SendStep step;
    ItemHandle item = nullptr;
  };

  bool LoadFile();
  std::string LoadFailureHint(FileRead result) const;
  bool PrepareSends(std::vector<PreparedSend>& prepared);
  bool Connect();
  bool PerformSend(const PreparedSend& send);
  int Monitor();
  // With --reconnect: the device went away, or came back. True once --until matched.
  bool FollowLink();
  // Logs, answers and prints every queued line; true once --until matched.
  bool DrainReceived();
  // Tells of lines and records lost since the last report, at most once a second unless
  // `now`; true while some are left untold.
  bool ReportLosses(bool now);
  void ReportTotalLosses();
  bool LostData() const;
  // Waits for the output to be written; a short while only after a stop was asked for.
  void FinishOutput();
  void ShowReceivedLine(std::string_view line, WallTime arrival) override;
  void ShowSentLine(std::string_view bytes, const RecordTag& tag) override;
  // As text without `terminator`, or as HEX with it, as the options say.
  std::string Shown(std::string_view bytes, std::string_view terminator) const;
  int Fail(const std::string& message, const std::string& hint);

  RunOptions options_;
  const int outFd_;
  std::ostream& err_;
  CommandTree tree_;
  std::optional<std::regex> until_;
  bool untilMatched_ = false;
  WakeEvent wake_;
  LineOutput output_;  // after wake_, which it signals
  std::atomic<bool> recordsReady_{false};
  std::atomic<bool> sendFailed_{false};
  std::atomic<bool> deviceLost_{false};
  std::atomic<bool> answerTimerFailed_{false};
  std::atomic<bool> linkStateChanged_{false};
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> finishing_{false};
  bool toldOutputClosed_ = false;
  DroppedOutput toldOutput_;
  DroppedRecords toldRecords_;
  Clock::time_point lastReport_{};
  Workspace work_;  // last: stopped before the members its threads report to
};

}  // namespace vexa::run
