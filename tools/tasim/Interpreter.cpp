// SPDX-License-Identifier: GPL-3.0-or-later
#include "tasim/Interpreter.h"

#include <algorithm>
#include <utility>

namespace vexa::tasim {
namespace {

// Larger than any value a parameter takes, so an over-long number is refused, never wrapped.
constexpr long kTooLarge = 1'000'000;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Hayes commands after which the rest of the line is not read.
bool EndsLine(CallRequest call) {
  return call == CallRequest::kDial || call == CallRequest::kAnswer ||
         call == CallRequest::kOnline || call == CallRequest::kReset;
}

}  // namespace

Interpreter::Interpreter(Profile& profile, Memory& memory, std::string_view lineState,
                         InfoSink info)
    : profile_(profile), memory_(memory), lineState_(lineState), info_(std::move(info)) {}

LineOutcome Interpreter::Run(std::string_view commands) {
  rest_ = commands;
  LineOutcome outcome;
  while (!rest_.empty()) {
    if (!RunOne(outcome)) {
      outcome.ok = false;
      break;
    }
    if (EndsLine(outcome.call)) break;
  }
  return outcome;
}

bool Interpreter::RunOne(LineOutcome& outcome) {
  const char command = Take();
  switch (command) {
    case 'A':
      outcome.call = CallRequest::kAnswer;
      return true;
    case 'D':
      return Dial(outcome);
    case 'E':
    case 'N':
    case 'Q':
    case 'V':
    case 'W':
    case 'X':
      return Option(std::string(1, command));
    case 'H':
      return HangUp(outcome);
    case 'I':
      return Identify();
    case 'O':
      outcome.call = CallRequest::kOnline;
      return ReadNumber().value_or(0) == 0;
    case 'S':
      return Register();
    case 'Z':
      return Reset(outcome);
    case '&':
      return Ampersand();
    case '\\':
      return Backslash();
    case '#':
      return Hash(outcome);
    case '$':
      return Dollar();
    default:
      return false;
  }
}

// A missing number means 0, as on every Hayes device: "AT&C" is "AT&C0".
bool Interpreter::Option(std::string name) {
  return profile_.Set(name, ReadNumber().value_or(0));
}

bool Interpreter::Identify() {
  const Lines lines = IdentityListing(ReadNumber().value_or(0));
  return !lines.empty() && Show(lines);
}

bool Interpreter::Register() {
  const auto number = ReadNumber();
  if (!number) return false;
  const std::string name = "S" + std::to_string(*number);
  const auto value = profile_.Get(name);
  if (!value) return false;
  if (TakeIf('?')) return Show({ThreeDigits(*value)});
  return TakeIf('=') && profile_.Set(name, ReadNumber().value_or(0));
}

bool Interpreter::Reset(LineOutcome& outcome) {
  const int kind = ReadNumber().value_or(0);
  outcome.call = CallRequest::kReset;
  // Z0/Z99 back to the stored profile, Z1 all but the memory, Z98 hardware: the memory
  // survives each of them here, and the profile is always the factory one.
  return kind == 0 || kind == 1 || kind == 98 || kind == 99;
}

bool Interpreter::HangUp(LineOutcome& outcome) {
  outcome.call = CallRequest::kHangUp;
  return ReadNumber().value_or(0) == 0;
}

bool Interpreter::Dial(LineOutcome& outcome) {
  std::string_view target = TakeRest();
  std::string address;
  if (!target.empty() && target[0] == 'S') {  // a stored number: DS=n or DSn
    rest_ = target.substr(1);
    TakeIf('=');
    const int slot = ReadNumber().value_or(0);
    if (!rest_.empty() || slot >= kShortDialSlots) return false;
    address = memory_.shortDial[slot];
  } else {
    target = target.substr(0, target.find('['));          // user data for the far end
    if (target.ends_with("CB")) target.remove_suffix(2);  // stealth callback
    if (target.starts_with('T') || target.starts_with('P')) target.remove_prefix(1);
    if (IsValidNumber(target)) address = target;
  }
  if (address.empty()) return false;
  outcome.call = CallRequest::kDial;
  outcome.dialAddress = address;
  return true;
}

bool Interpreter::Ampersand() {
  const char command = Take();
  switch (command) {
    case 'C':
    case 'D':
    case 'K':
    case 'S':
      return Option(std::string("&") + command);
    case 'H': {
      const int page = ReadNumber().value_or(0);
      return page < kShortDialSlots / kShortDialPageSize && Show(ShortDialListing(memory_, page));
    }
    case 'Z':
      return StoreShortDial();
    default:
      return false;
  }
}

bool Interpreter::StoreShortDial() {
  const int slot = ReadNumber().value_or(0);
  if (slot >= kShortDialSlots || !TakeIf('=')) return false;
  const std::string_view number = TakeRest();
  if (!number.empty() && !IsValidNumber(number)) return false;  // empty clears the slot
  memory_.shortDial[slot] = number;
  return true;
}

bool Interpreter::Backslash() {
  const char command = Take();
  const int number = ReadNumber().value_or(0);
  switch (command) {
    case 'Q':
      return profile_.Set("\\Q", number);
    case 'S':
      switch (number) {
        case 0:
          return Show(StatusListing(profile_, lineState_));
        case 1:
          return Show(RegisterNameListing(profile_));
        case 2:
          return Show(ResultListing(profile_));
        case 3:
          return Show(RegisterValueListing(profile_));
        default:
          return false;
      }
    case 'C':
      if (number == 0) return Show(TotalChargeListing(memory_));
      if (number != 1) return false;
      memory_.totalCharge = 0;
      return true;
    default:
      return false;
  }
}

bool Interpreter::Hash(LineOutcome& outcome) {
  switch (Take()) {
    case 'C':
      return Show(LastCallListing(memory_));
    case 'H':
      return Show(OwnAddressListing(memory_, TakePortLetter()));
    case 'R':
      outcome.call = CallRequest::kRejectCall;
      return true;
    case 'Z':
      return StoreOwnAddress(TakePortLetter());
    default:
      return false;
  }
}

bool Interpreter::StoreOwnAddress(char port) {
  // "AT#ZA012/3" as the adapter's manual writes it, "AT#ZA=012/3" as Hayes habit types it.
  const bool hasEquals = TakeIf('=');
  const std::string_view number = TakeRest();
  if (number.empty() ? !hasEquals : !IsValidNumber(number)) return false;
  memory_.OwnAddress(port) = number;
  return true;
}

bool Interpreter::Dollar() {
  const char group = Take();
  if (group != 'A' && group != 'B' && group != 'C' && group != 'N') return false;
  const int number = ReadNumber().value_or(0);
  if (number == 0) return Show(GroupListing(profile_, group));
  const std::string name = std::string("$") + group + std::to_string(number);
  const auto value = profile_.Get(name);
  if (!value) return false;
  if (TakeIf('?')) return Show({FormatValue(*value)});
  if (!TakeIf('=')) return false;
  if (TakeIf('N')) return profile_.Set(name, kNotSet);
  return profile_.Set(name, ReadNumber().value_or(0));
}

std::optional<int> Interpreter::ReadNumber() {
  std::size_t digits = 0;
  long value = 0;
  for (; digits < rest_.size() && IsDigit(rest_[digits]); ++digits) {
    value = std::min(value * 10 + (rest_[digits] - '0'), kTooLarge);
  }
  if (digits == 0) return std::nullopt;
  rest_.remove_prefix(digits);
  return static_cast<int>(value);
}

char Interpreter::Take() {
  if (rest_.empty()) return '\0';
  const char c = rest_.front();
  rest_.remove_prefix(1);
  return c;
}

bool Interpreter::TakeIf(char c) {
  if (rest_.empty() || rest_.front() != c) return false;
  rest_.remove_prefix(1);
  return true;
}

char Interpreter::TakePortLetter() {
  if (TakeIf('A')) return 'A';
  if (TakeIf('B')) return 'B';
  return '\0';
}

std::string_view Interpreter::TakeRest() {
  return std::exchange(rest_, {});
}

bool Interpreter::Show(const Lines& lines) {
  info_(lines);
  return true;
}

}  // namespace vexa::tasim
