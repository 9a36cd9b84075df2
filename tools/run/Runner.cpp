// SPDX-License-Identifier: GPL-3.0-or-later
#include "Runner.h"

#include <poll.h>

#include <cerrno>
#include <ostream>

#include "ItemLookup.h"
#include "TreeDump.h"
#include "core/codec/Codec.h"
#include "core/codec/Cp932.h"
#include "core/codec/TimeText.h"
#include "core/files/CommandFile.h"
#include "core/link/LinkMessages.h"
#include "platform/Io.h"

namespace vexa::run {
namespace {

using namespace std::chrono_literals;

constexpr auto kReportInterval = 1s;
// After a stop was asked for, a stalled reader holds up the end no longer than this.
constexpr auto kOutputGraceAfterStop = 1000ms;

// "1 line", "2 lines".
std::string Counted(std::uint64_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

Runner::Runner(RunOptions options, int out, std::ostream& err, PortLookup lookup)
    : options_(std::move(options)),
      outFd_(out),
      err_(err),
      output_(out, [this] { wake_.Signal(); }),
      work_(tree_, *this, std::move(lookup)) {}

Runner::~Runner() {
  work_.Disconnect();
}

void Runner::RecordsReady() {
  recordsReady_.store(true);
  wake_.Signal();
}
void Runner::SendFailed() {
  sendFailed_.store(true);
  wake_.Signal();
}
void Runner::DeviceLost() {
  deviceLost_.store(true);
  wake_.Signal();
}
void Runner::AnswerTimerFailed() {
  answerTimerFailed_.store(true);
}
void Runner::LinkStateChanged() {
  linkStateChanged_.store(true);
  wake_.Signal();
}
void Runner::RequestStop() {
  stopRequested_.store(true);
  if (finishing_.load()) output_.Abandon();
  wake_.Signal();
}

int Runner::Fail(const std::string& message, const std::string& hint) {
  err_ << message << "\n"
       << "vexa-run: " << hint << std::endl;
  return kExitError;
}

std::string Runner::LoadFailureHint(FileRead result) const {
  switch (result) {
    case FileRead::kCannotOpen:
      return "cannot open the command file " + options_.file;
    case FileRead::kTooLarge:
      return "the command file " + options_.file + " is larger than " +
             std::to_string(kMaxCommandFileSize >> 20) + " MiB";
    default:
      return "the command file " + options_.file + " is not valid";
  }
}

bool Runner::LoadFile() {
  const CommandFileLoad load = work_.LoadFile(options_.file);
  if (const char* message = LoadFailureMessage(load)) {
    Fail(message, LoadFailureHint(load.readResult));
    return false;
  }
  if (load.items.invalidData) {
    err_ << kInvalidDataMessage << "\n"
         << "vexa-run: warning: items whose data cannot be converted were made headings"
         << std::endl;
  }
  return true;
}

bool Runner::PrepareSends(std::vector<PreparedSend>& prepared) {
  for (const SendStep& step : options_.sends) {
    PreparedSend send{step, nullptr};
    if (step.kind == SendStep::Kind::kItem) {
      const LookupResult found = FindItem(tree_, Utf8ToCp932(step.argument));
      if (!found.item) {
        std::string list;
        for (ItemHandle candidate : found.candidates) {
          list += "\n  " + Cp932ToUtf8(ItemPath(tree_, candidate));
        }
        Fail("vexa-run: " + std::string(found.candidates.empty() ? "no item" : "several items") +
                 " named \"" + step.argument + "\"" + (list.empty() ? "" : ":" + list),
             found.candidates.size() > 1 ? "give more of the path, joined with \"/\""
                                         : "see the names with --dump");
        return false;
      }
      if (tree_.Record(found.item)->sendLength() == 0) {
        Fail("vexa-run: \"" + step.argument + "\" has no command data",
             "a heading sends nothing; choose one of its items");
        return false;
      }
      send.item = found.item;
    }
    prepared.push_back(std::move(send));
  }
  return true;
}

bool Runner::Connect() {
  CommSettings& settings = work_.Settings();
  if (options_.port) settings.portName = *options_.port;
  work_.SetSentLinesShown(options_.showSent);
  work_.SetReconnect(options_.reconnect);
  if (options_.logFile && !work_.OpenLog(*options_.logFile)) {
    Fail(kLogOpenFailedMessage, "cannot create the log file " + *options_.logFile);
    return false;
  }
  if (work_.Connect() != OpenResult::kOk) {
    Fail(OpenFailedMessage(settings.portName),
         "cannot open the port " + settings.portName + " (missing, in use, or no permission)");
    return false;
  }
  work_.StartSending();
  return true;
}

bool Runner::PerformSend(const PreparedSend& send) {
  SendTextResult result{SendOutcome::kOk, 0};
  std::string text;
  if (send.item) {
    result.outcome = work_.SendItem(*tree_.Record(send.item));
  } else {
    text = Utf8ToCp932(send.step.argument);
    const ItemKind kind = send.step.kind == SendStep::Kind::kHex ? kKindHex : kKindText;
    result = work_.SendText(text, kind);
  }
  switch (result.outcome) {
    case SendOutcome::kOk:
    case SendOutcome::kNothing:
      return true;
    case SendOutcome::kNotHex:
      Fail(ConversionFailedMessage(result.outcome, text), "--send-hex takes pairs of hex digits");
      return false;
    case SendOutcome::kEscapeError:
      Fail(ConversionFailedMessage(result.outcome, text),
           "bad escape sequence at byte " + std::to_string(result.errorPosition));
      return false;
    case SendOutcome::kLinkDown:
      Fail(kDeviceLostMessage, "the device went away before the send");
      return false;
    default:
      Fail(kWriteFailedMessage, "writing to the port failed");
      return false;
  }
}

std::string Runner::Shown(std::string_view bytes, std::string_view terminator) const {
  return options_.hex ? HexDisplay(bytes)
                      : WithControlPictures(Cp932ToUtf8(TextDisplay(bytes, terminator)));
}

// Lines after the one --until matched are still logged and answered, but not printed.
void Runner::ShowReceivedLine(std::string_view line, WallTime arrival) {
  if (untilMatched_) return;
  const std::string shown = Shown(line, work_.Settings().receiveTerminator);
  output_.Put((options_.timestamps ? IsoTimeText(arrival) + ' ' : std::string()) + shown + '\n');
  untilMatched_ = until_ && std::regex_search(shown, *until_);
}

// Never matched against --until: that waits for what the device says.
void Runner::ShowSentLine(std::string_view bytes, const RecordTag& tag) {
  if (untilMatched_) return;
  output_.Put((options_.timestamps ? IsoTimeText(tag.time) + ' ' : std::string()) +
              SentMarker(tag.origin) + ' ' + Shown(bytes, work_.Settings().sendTerminator) + '\n');
}

bool Runner::DrainReceived() {
  recordsReady_.store(false);
  const DrainResult result = work_.DrainReceived(*this);
  if (result == DrainResult::kLogFailed) {
    err_ << "vexa-run: warning: writing the log failed; logging ended" << std::endl;
  }
  return untilMatched_;
}

int Runner::Monitor() {
  const bool timed = options_.forSeconds.has_value();
  const Clock::time_point deadline =
      timed ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(*options_.forSeconds))
            : Clock::time_point::max();
  for (;;) {
    if (recordsReady_.load() && DrainReceived()) return kExitOk;
    if (linkStateChanged_.exchange(false) && FollowLink()) return kExitOk;
    const bool lossesUntold = ReportLosses(false);
    if (output_.Closed() && !toldOutputClosed_) {
      toldOutputClosed_ = true;
      if (!work_.IsLogging()) return kExitOk;  // nobody is left to tell anything
      err_ << "vexa-run: the output was closed; logging goes on" << std::endl;
    }
    if (deviceLost_.load()) {
      DrainReceived();  // what arrived before the loss is still printed
      return Fail(kDeviceLostMessage, "the device went away");
    }
    if (sendFailed_.load()) return Fail(kWriteFailedMessage, "writing to the port failed");
    if (stopRequested_.load()) return kExitOk;
    int timeout = -1;
    if (timed) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return until_ ? kExitUntilMissed : kExitOk;
      timeout = static_cast<int>(std::min<long long>(left, 60000));
    }
    if (lossesUntold) {
      const int interval = static_cast<int>(std::chrono::milliseconds(kReportInterval).count());
      timeout = timeout < 0 ? interval : std::min(timeout, interval);
    }
    pollfd wait{wake_.Descriptor(), POLLIN, 0};
    if (::poll(&wait, 1, timeout) > 0) wake_.Reset();
  }
}

bool Runner::FollowLink() {
  // What arrived before the loss is printed first.
  const bool matched = DrainReceived();
  switch (work_.FollowLink()) {
    case LinkChange::kWaiting:
      err_ << AwaitingDeviceStatus(work_.Settings().portName) << "\n"
           << "vexa-run: the device went away; waiting for it to come back" << std::endl;
      break;
    case LinkChange::kReconnected:
      err_ << ReconnectedNote(WallClockNow()) << std::endl;
      break;
    case LinkChange::kNone:
      break;
  }
  return matched;
}

int Runner::Run() {
  if (options_.until) until_.emplace(*options_.until);
  if (!LoadFile()) return kExitError;
  if (options_.dump) {
    // A reader that had enough (`| head`) is no failure; a full disk is.
    const IoStatus written = WriteAll(outFd_, DumpTree(tree_));
    return written == IoStatus::kOk || written == IoStatus::kDeviceLost ? kExitOk : kExitError;
  }
  std::vector<PreparedSend> sends;
  if (!PrepareSends(sends) || !Connect()) return kExitError;
  for (const PreparedSend& send : sends) {
    if (!PerformSend(send)) {
      work_.Disconnect();
      return kExitError;
    }
  }
  const int status = Monitor();
  work_.Disconnect();
  DrainReceived();  // what was read before the end is logged too
  if (answerTimerFailed_.load()) err_ << kAnswerTimerErrorMessage << std::endl;
  work_.CloseLog();
  FinishOutput();
  ReportTotalLosses();
  return status != kExitError && LostData() ? kExitDataLost : status;
}

void Runner::FinishOutput() {
  finishing_.store(true);
  output_.Finish(stopRequested_.load() ? kOutputGraceAfterStop : kNoTimeLimit);
}

bool Runner::ReportLosses(bool now) {
  const DroppedOutput output = output_.Dropped();
  const DroppedRecords records = work_.Dropped();
  const bool newRecords = records.records != toldRecords_.records;
  const bool newLines = output.bytes != toldOutput_.bytes;
  if (!newRecords && !newLines) return false;
  const Clock::time_point time = Clock::now();
  if (!now && time - lastReport_ < kReportInterval) return true;
  lastReport_ = time;
  if (newRecords) {
    err_ << "vexa-run: warning: data came faster than it could be handled: "
         << Counted(records.records - toldRecords_.records, "received record") << " ("
         << records.bytes - toldRecords_.bytes << " bytes) lost, neither logged nor printed\n";
  }
  if (newLines) {
    err_ << "vexa-run: warning: "
         << (output_.Failed() ? "standard output cannot be written"
                              : "the output is not read fast enough")
         << ": " << Counted(output.lines - toldOutput_.lines, "line") << " ("
         << output.bytes - toldOutput_.bytes << " bytes) not printed"
         << (options_.logFile ? ", but logged" : "") << "\n";
  }
  err_.flush();
  toldRecords_ = records;
  toldOutput_ = output;
  return false;
}

void Runner::ReportTotalLosses() {
  ReportLosses(true);
  if (toldRecords_.records > 0) {
    err_ << "vexa-run: in all " << Counted(toldRecords_.records, "received record") << " ("
         << toldRecords_.bytes << " bytes) were lost\n";
  }
  if (toldOutput_.lines > 0) {
    err_ << "vexa-run: in all " << Counted(toldOutput_.lines, "line") << " (" << toldOutput_.bytes
         << " bytes) were not printed\n";
  }
  err_.flush();
}

bool Runner::LostData() const {
  return toldRecords_.records > 0 || toldOutput_.bytes > 0;
}

}  // namespace vexa::run
