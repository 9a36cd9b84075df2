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

namespace vexa::run {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

Runner::Runner(RunOptions options, std::ostream& out, std::ostream& err, PortLookup lookup)
    : options_(std::move(options)), out_(out), err_(err), work_(tree_, *this, std::move(lookup)) {}

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
void Runner::RequestStop() {
  stopRequested_.store(true);
  wake_.Signal();
}

int Runner::Fail(const std::string& message, const std::string& hint) {
  err_ << message << "\n"
       << "vexa-run: " << hint << std::endl;
  return kExitError;
}

bool Runner::LoadFile() {
  const CommandFileLoad load = work_.LoadFile(options_.file);
  if (const char* message = LoadFailureMessage(load)) {
    Fail(message, load.readResult == FileRead::kCannotOpen
                      ? "cannot open the command file " + options_.file
                      : "the command file " + options_.file + " is not valid");
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
  if (options_.timestamps) out_ << IsoTimeText(arrival) << ' ';
  out_ << shown << '\n';
  untilMatched_ = until_ && std::regex_search(shown, *until_);
}

// Never matched against --until: that waits for what the device says.
void Runner::ShowSentLine(std::string_view bytes, const RecordTag& tag) {
  if (untilMatched_) return;
  if (options_.timestamps) out_ << IsoTimeText(tag.time) << ' ';
  out_ << SentMarker(tag.origin) << ' ' << Shown(bytes, work_.Settings().sendTerminator) << '\n';
}

bool Runner::DrainReceived() {
  recordsReady_.store(false);
  const DrainResult result = work_.DrainReceived(*this);
  out_.flush();
  if (result == DrainResult::kLogFailed) {
    err_ << "vexa-run: warning: writing the log failed; logging ended" << std::endl;
  }
  return untilMatched_;
}

int Runner::Monitor() {
  const auto deadline =
      options_.forSeconds
          ? std::optional(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(*options_.forSeconds)))
          : std::nullopt;
  for (;;) {
    if (recordsReady_.load() && DrainReceived()) return kExitOk;
    if (deviceLost_.load()) {
      DrainReceived();  // what arrived before the loss is still printed
      return Fail(kDeviceLostMessage, "the device went away");
    }
    if (sendFailed_.load()) return Fail(kWriteFailedMessage, "writing to the port failed");
    if (stopRequested_.load()) return kExitOk;
    int timeout = -1;
    if (deadline) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
      if (left <= 0) return until_ ? kExitUntilMissed : kExitOk;
      timeout = static_cast<int>(std::min<long long>(left, 60000));
    }
    pollfd wait{wake_.Descriptor(), POLLIN, 0};
    if (::poll(&wait, 1, timeout) > 0) wake_.Reset();
  }
}

int Runner::Run() {
  if (options_.until) until_.emplace(*options_.until);
  if (!LoadFile()) return kExitError;
  if (options_.dump) {
    out_ << DumpTree(tree_) << std::flush;
    return kExitOk;
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
  if (answerTimerFailed_.load()) err_ << kAnswerTimerErrorMessage << std::endl;
  work_.CloseLog();
  return status;
}

}  // namespace vexa::run
