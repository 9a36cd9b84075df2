// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs the commands of one command line (what follows "AT", upper case, no blanks) against
// the settings and the stored numbers. The call itself belongs to the engine: dialling,
// answering, going back online, hanging up and resetting are only requested here.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tasim/Listings.h"
#include "tasim/Memory.h"
#include "tasim/Profile.h"

namespace vexa::tasim {

enum class CallRequest { kNone, kDial, kAnswer, kOnline, kHangUp, kRejectCall, kReset };

struct LineOutcome {
  bool ok = true;  // false: answer ERROR; what ran before the bad command stays done
  CallRequest call = CallRequest::kNone;
  std::string dialAddress;  // for kDial
};

class Interpreter {
 public:
  // `info` receives each information text as soon as its command runs, so that a result
  // format changed earlier on the same line already applies to it.
  using InfoSink = std::function<void(const Lines&)>;

  Interpreter(Profile& profile, Memory& memory, std::string_view lineState, InfoSink info);

  LineOutcome Run(std::string_view commands);

 private:
  bool RunOne(LineOutcome& outcome);
  bool Option(std::string name);
  bool Identify();
  bool Register();
  bool Reset(LineOutcome& outcome);
  bool HangUp(LineOutcome& outcome);
  bool Dial(LineOutcome& outcome);
  bool Ampersand();
  bool StoreShortDial();
  bool Backslash();
  bool Hash(LineOutcome& outcome);
  bool StoreOwnAddress(char port);
  bool Dollar();

  std::optional<int> ReadNumber();
  char Take();  // 0 at the end of the line
  bool TakeIf(char c);
  char TakePortLetter();
  std::string_view TakeRest();
  bool Show(const Lines& lines);

  Profile& profile_;
  Memory& memory_;
  std::string_view lineState_;
  InfoSink info_;
  std::string_view rest_;
};

}  // namespace vexa::tasim
