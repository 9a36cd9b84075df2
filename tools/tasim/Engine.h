// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A Hayes-style ISDN terminal adapter as a plain state machine. The caller hands over what
// the terminal sent together with the time it arrived, lets time pass with AdvanceTo, and
// collects what the adapter answers. Nothing here sleeps or reads a clock, so the guard
// times, the dial delay and the rings can be tested with made-up times.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "tasim/Interpreter.h"
#include "tasim/Listings.h"
#include "tasim/Memory.h"
#include "tasim/Profile.h"

namespace vexa::tasim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Millis = std::chrono::milliseconds;

struct EngineOptions {
  Millis dialDelay{1500};  // from ATD to CONNECT
  Millis ringPeriod{0};    // between the RINGs of a caller; zero: nobody ever calls
};

enum class ResultCode { kOk = 0, kConnect = 1, kRing = 2, kNoCarrier = 3, kError = 4 };

// The simulated caller, for the RING details of ATW2.
inline constexpr std::string_view kCallerAddress = "0398765432/1234";

class Engine {
 public:
  Engine(const EngineOptions& options, TimePoint now);

  // Bytes from the terminal, all arriving at `now`. Runs what fell due before `now` first.
  void Receive(std::string_view bytes, TimePoint now);
  // Dial completion, the end of an escape guard time and rings up to `now`.
  void AdvanceTo(TimePoint now);
  // When AdvanceTo next has something to do; nullopt while only the terminal can act.
  std::optional<TimePoint> NextDeadline() const;
  // Everything answered since the last call.
  std::string TakeOutput();

  bool InDataMode() const { return mode_ == Mode::kData; }

 private:
  enum class Mode {
    kCommand,        // no call (perhaps one ringing)
    kDialing,        // waiting for the far end
    kData,           // connected, bytes go to the far end, which echoes them
    kOnlineCommand,  // connected, after the escape sequence
  };

  void ReceiveCommandByte(char byte, TimePoint now);
  void ReceiveWhileDialing(char byte, TimePoint now);
  void ReceiveDataByte(char byte, TimePoint now);
  void ExecuteCommandLine(TimePoint now);
  // Carries out the call request of a line; the line's result, or nullopt while dialling.
  std::optional<ResultCode> Perform(const LineOutcome& outcome, TimePoint now);
  void FireDeadline(TimePoint due, TimePoint now);

  void StartDial(const std::string& address, TimePoint now);
  void AnswerCall(TimePoint at);
  void Connect(TimePoint at);
  void EndCall(TimePoint now);
  void Ring(TimePoint at, TimePoint now);
  void EnterIdle(TimePoint now);
  void EscapeToCommandMode();

  void SendResult(ResultCode code);  // unless result codes are off
  void AppendResult(ResultCode code);
  void SendInfo(const Lines& lines);
  void Echo(char byte);
  // Whether `byte` is the character an S-register (S2 to S5) names.
  bool Is(char byte, std::string_view characterRegister) const;
  std::string LineBreak() const;
  Millis GuardTime() const;
  std::string_view LineState() const;
  bool HasCall() const { return mode_ == Mode::kData || mode_ == Mode::kOnlineCommand; }

  EngineOptions options_;
  Profile profile_;
  Memory memory_;
  std::string output_;

  Mode mode_ = Mode::kCommand;
  std::string commandLine_;
  bool commandLineOverflow_ = false;

  bool incomingCall_ = false;
  std::optional<TimePoint> nextRing_;
  TimePoint connectAt_{};
  std::string callAddress_;
  bool outgoingCall_ = false;

  TimePoint lastDataByte_{};
  int escapeCount_ = 0;  // escape characters in a row, each within the guard time
  std::optional<TimePoint> escapeAt_;
};

}  // namespace vexa::tasim
