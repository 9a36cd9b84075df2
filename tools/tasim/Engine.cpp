// SPDX-License-Identifier: GPL-3.0-or-later
#include "tasim/Engine.h"

#include <algorithm>
#include <utility>

namespace vexa::tasim {
namespace {

constexpr std::size_t kMaxCommandLine = 255;
constexpr int kChargePerOutgoingCall = 10;  // yen
constexpr Millis kGuardTimeUnit{20};        // S12 counts fiftieths of a second
constexpr int kMaxRingCount = 255;

constexpr std::string_view kResultWords[] = {"OK", "CONNECT", "RING", "NO CARRIER", "ERROR"};

bool IsControl(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return value < 0x20 || value == 0x7F;
}

void ToUpper(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

// Escape characters counted in a row: the first after a quiet guard time, each next one
// within the guard time of the one before.
int NextEscapeCount(int count, bool quietBefore) {
  if (count == 0) return quietBefore ? 1 : 0;
  if (count == 3) return 0;            // a fourth one: it was data after all
  return quietBefore ? 1 : count + 1;  // after a pause the sequence starts again
}

}  // namespace

Engine::Engine(const EngineOptions& options, TimePoint now) : options_(options) {
  EnterIdle(now);
}

void Engine::Receive(std::string_view bytes, TimePoint now) {
  AdvanceTo(now);
  for (const char byte : bytes) {
    switch (mode_) {
      case Mode::kCommand:
      case Mode::kOnlineCommand:
        ReceiveCommandByte(byte, now);
        break;
      case Mode::kDialing:
        ReceiveWhileDialing(byte, now);
        break;
      case Mode::kData:
        ReceiveDataByte(byte, now);
        break;
    }
  }
}

void Engine::AdvanceTo(TimePoint now) {
  for (auto due = NextDeadline(); due && *due <= now; due = NextDeadline()) {
    FireDeadline(*due, now);
  }
}

std::optional<TimePoint> Engine::NextDeadline() const {
  switch (mode_) {
    case Mode::kCommand:
      return nextRing_;
    case Mode::kDialing:
      return connectAt_;
    case Mode::kData:
      return escapeAt_;
    case Mode::kOnlineCommand:
      return std::nullopt;
  }
  return std::nullopt;
}

std::string Engine::TakeOutput() {
  return std::exchange(output_, {});
}

void Engine::FireDeadline(TimePoint due, TimePoint now) {
  switch (mode_) {
    case Mode::kCommand:
      Ring(due, now);
      break;
    case Mode::kDialing:
      Connect(due);
      SendResult(ResultCode::kConnect);
      break;
    case Mode::kData:
      EscapeToCommandMode();
      break;
    case Mode::kOnlineCommand:
      break;
  }
}

void Engine::ReceiveCommandByte(char byte, TimePoint now) {
  if (Is(byte, kLineEnd)) {
    Echo(byte);
    ExecuteCommandLine(now);
  } else if (Is(byte, kBackspace)) {
    if (!commandLine_.empty()) commandLine_.pop_back();
    Echo(byte);
  } else if (!IsControl(byte)) {  // the LF of a CR LF, among others, carries nothing
    if (commandLine_.size() < kMaxCommandLine) {
      commandLine_ += byte;
    } else {
      commandLineOverflow_ = true;
    }
    Echo(byte);
  }
}

void Engine::ReceiveWhileDialing(char byte, TimePoint now) {
  // The LF that follows the CR of "ATD...\r\n" is no key press.
  if (Is(byte, kLineFeed)) return;
  EnterIdle(now);
  SendResult(ResultCode::kNoCarrier);
}

void Engine::ReceiveDataByte(char byte, TimePoint now) {
  output_ += byte;  // the far end sends everything back
  const bool quietBefore = now - lastDataByte_ >= GuardTime();
  lastDataByte_ = now;
  if (profile_.Value(kEscapeChar) <= 127 && Is(byte, kEscapeChar)) {
    escapeCount_ = NextEscapeCount(escapeCount_, quietBefore);
  } else if (!(escapeCount_ == 3 && (Is(byte, kLineEnd) || Is(byte, kLineFeed)))) {
    // A terminal that ends every send with CR LF can still escape: "+++\r\n" counts.
    escapeCount_ = 0;
  }
  escapeAt_.reset();
  if (escapeCount_ == 3) escapeAt_ = now + GuardTime();
}

void Engine::ExecuteCommandLine(TimePoint now) {
  std::string line = std::exchange(commandLine_, {});
  if (std::exchange(commandLineOverflow_, false)) {
    SendResult(ResultCode::kError);
    return;
  }
  std::erase(line, ' ');
  if (line.empty()) return;  // a bare line end is no command, on any modem
  ToUpper(line);
  if (line == "+++") {  // the escape sequence, sent while already in command mode
    SendResult(ResultCode::kOk);
    return;
  }
  if (!line.starts_with("AT")) {
    SendResult(ResultCode::kError);
    return;
  }
  // The line that turns result codes off still gets its own answer: no command goes
  // unanswered.
  const bool quietBefore = profile_.Value(kQuiet) == 1;
  Interpreter interpreter(profile_, memory_, LineState(),
                          [this](const Lines& lines) { SendInfo(lines); });
  const LineOutcome outcome = interpreter.Run(std::string_view(line).substr(2));
  const auto result = outcome.ok ? Perform(outcome, now) : ResultCode::kError;
  if (result && !(quietBefore && profile_.Value(kQuiet) == 1)) AppendResult(*result);
}

std::optional<ResultCode> Engine::Perform(const LineOutcome& outcome, TimePoint now) {
  switch (outcome.call) {
    case CallRequest::kNone:
      return ResultCode::kOk;
    case CallRequest::kReset:
      if (HasCall()) EndCall(now);
      profile_.Reset();
      EnterIdle(now);
      return ResultCode::kOk;
    case CallRequest::kHangUp:
      if (HasCall()) {
        EndCall(now);
      } else if (incomingCall_) {
        EnterIdle(now);  // hanging up on a ringing call refuses it
      }
      return ResultCode::kOk;
    case CallRequest::kRejectCall:
      if (!HasCall() && incomingCall_) EnterIdle(now);
      return ResultCode::kOk;
    case CallRequest::kDial:
      if (HasCall()) return ResultCode::kError;
      StartDial(outcome.dialAddress, now);
      return std::nullopt;  // the answer comes when the call is through
    case CallRequest::kAnswer:
      if (HasCall()) return ResultCode::kError;
      if (!incomingCall_) return ResultCode::kNoCarrier;
      AnswerCall(now);
      return ResultCode::kConnect;
    case CallRequest::kOnline:
      if (mode_ != Mode::kOnlineCommand) return ResultCode::kNoCarrier;
      Connect(now);
      return ResultCode::kConnect;
  }
  return ResultCode::kError;
}

void Engine::StartDial(const std::string& address, TimePoint now) {
  mode_ = Mode::kDialing;
  incomingCall_ = false;
  profile_.Set(kRingCount, 0);
  callAddress_ = address;
  outgoingCall_ = true;
  connectAt_ = now + options_.dialDelay;
}

void Engine::AnswerCall(TimePoint at) {
  callAddress_ = kCallerAddress;
  outgoingCall_ = false;
  Connect(at);
}

void Engine::Connect(TimePoint at) {
  mode_ = Mode::kData;
  incomingCall_ = false;
  profile_.Set(kRingCount, 0);
  lastDataByte_ = at;
  escapeCount_ = 0;
  escapeAt_.reset();
}

void Engine::EndCall(TimePoint now) {
  const int charge = outgoingCall_ ? kChargePerOutgoingCall : 0;
  memory_.hadCall = true;
  memory_.lastCall = {callAddress_, charge};
  memory_.totalCharge += charge;
  EnterIdle(now);
}

void Engine::Ring(TimePoint at, TimePoint now) {
  nextRing_ = at + options_.ringPeriod;
  if (*nextRing_ < now) nextRing_ = now + options_.ringPeriod;  // late rings are not made up
  incomingCall_ = true;
  const int rings = std::min(profile_.Value(kRingCount) + 1, kMaxRingCount);
  profile_.Set(kRingCount, rings);
  SendResult(ResultCode::kRing);
  if (profile_.Value(kRingInfo) == 2 && profile_.Value(kQuiet) == 0) {
    SendInfo({std::string(kCallerAddress)});
  }
  const int answerAfter = profile_.Value(kAutoAnswerRings);
  if (answerAfter > 0 && rings >= answerAfter) {
    AnswerCall(at);
    SendResult(ResultCode::kConnect);
  }
}

void Engine::EnterIdle(TimePoint now) {
  mode_ = Mode::kCommand;
  incomingCall_ = false;
  profile_.Set(kRingCount, 0);
  escapeCount_ = 0;
  escapeAt_.reset();
  nextRing_.reset();
  if (options_.ringPeriod > Millis::zero()) nextRing_ = now + options_.ringPeriod;
}

void Engine::EscapeToCommandMode() {
  mode_ = Mode::kOnlineCommand;
  escapeCount_ = 0;
  escapeAt_.reset();
  commandLine_.clear();
  SendResult(ResultCode::kOk);
}

void Engine::SendResult(ResultCode code) {
  if (profile_.Value(kQuiet) == 0) AppendResult(code);
}

void Engine::AppendResult(ResultCode code) {
  const auto number = static_cast<std::size_t>(code);
  if (profile_.Value(kVerbose) == 1) {
    output_ += LineBreak() + std::string(kResultWords[number]) + LineBreak();
  } else {
    output_ += std::to_string(number) + static_cast<char>(profile_.Value(kLineEnd));
  }
}

void Engine::SendInfo(const Lines& lines) {
  const std::string lineBreak = LineBreak();
  if (profile_.Value(kVerbose) == 1) output_ += lineBreak;
  for (const std::string& line : lines) output_ += line + lineBreak;
}

void Engine::Echo(char byte) {
  if (profile_.Value(kEcho) == 1) output_ += byte;
}

bool Engine::Is(char byte, std::string_view characterRegister) const {
  return static_cast<unsigned char>(byte) == profile_.Value(characterRegister);
}

std::string Engine::LineBreak() const {
  return {static_cast<char>(profile_.Value(kLineEnd)),
          static_cast<char>(profile_.Value(kLineFeed))};
}

Millis Engine::GuardTime() const {
  return kGuardTimeUnit * profile_.Value(kGuardTime);
}

std::string_view Engine::LineState() const {
  if (HasCall()) return "ONLINE";
  return incomingCall_ ? "RINGING" : "IDLE";
}

}  // namespace vexa::tasim
