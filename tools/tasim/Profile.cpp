// SPDX-License-Identifier: GPL-3.0-or-later
#include "tasim/Profile.h"

#include <algorithm>
#include <cstdlib>

namespace vexa::tasim {
namespace {

// What analog ports A and B each carry, as $A1..$A7 and $B1..$B7.
struct PortSetting {
  int number;
  std::string_view description;
  int max;
};
constexpr PortSetting kPortSettings[] = {
    {1, "PORT USE (0 TELEPHONE, 1 FAX, 2 UNUSED)", 2},
    {2, "CALL WAITING", 2},
    {3, "INCOMING IDENTIFICATION", 1},
    {4, "HLC", 2},
    {5, "GLOBAL CALLS REFUSED", 1},
    {6, "CALLS WITHOUT SUBADDRESS REFUSED", 1},
    {7, "DIAL DIGIT TIMER (0 5S, 1 9S, 2 11S, 3 13S)", 3},
};

std::vector<Parameter> BuildParameters() {
  std::vector<Parameter> table = {
      {"E", "ECHO", 1, 0, 1},
      {"Q", "RESULT CODES OFF", 0, 0, 1},
      {"V", "RESULT CODES AS WORDS", 1, 0, 1},
      {"W", "RING INFORMATION", 0, 0, 2},
      {"X", "RESULT CODE SET", 4, 0, 4},
      {"N", "DTE SPEED", 0, 0, 9},
      {"&C", "CD CONTROL", 1, 0, 1},
      {"&D", "ER CONTROL", 0, 0, 1},
      {"&K", "FLOW CONTROL", 0, 0, 4, 0b110},
      {"&S", "DR CONTROL", 0, 0, 1},
      {"\\Q", "FLOW CONTROL", 0, 0, 3},
  };
  for (const char port : {'A', 'B'}) {
    for (const PortSetting& setting : kPortSettings) {
      table.push_back({std::string("$") + port + std::to_string(setting.number),
                       setting.description, 0, 0, setting.max});
    }
  }
  const std::vector<Parameter> rest = {
      {"$C2", "RINGER ON POWER FAILURE (0 BUZZER, 1 RINGER, 3 REFUSE)", 0, 0, 3, 0b100},
      {"$C3", "PREFERRED PORT (0 NONE, 1 A, 2 B)", 0, 0, 2},
      {"$N1", "SYNC PPP CONVERSION", 0, 0, 1},
      {"$N2", "INCOMING IDENTIFICATION", 0, 0, 1},
      {"$N3", "HLC", kNotSet, kNotSet, 127},
      {"$N4", "INCOMING SPEED CHECK", 0, 0, 1},
      {"$N5", "GLOBAL CALLS REFUSED", 0, 0, 1},
      {"$N6", "CALLS WITHOUT SUBADDRESS REFUSED", 0, 0, 1},
      {"$N7", "RESPONSE AVERAGING", 0, 0, 1},
      {"$N8", "MULTIPOINT TERMINALS", 1, 1, 8},
      {"$N9", "IDLE TIMER (MINUTES)", 0, 0, 10},
      {"$N10", "STEALTH CALLBACK", 0, 0, 1},
      {"S0", "AUTO ANSWER AFTER RINGS", 0, 0, 255},
      {"S1", "RING COUNT", 0, 0, 255},
      {"S2", "ESCAPE CHARACTER", 43, 0, 255},
      {"S3", "CARRIAGE RETURN CHARACTER", 13, 0, 127},
      {"S4", "LINE FEED CHARACTER", 10, 0, 127},
      {"S5", "BACKSPACE CHARACTER", 8, 0, 127},
      {"S7", "CARRIER WAIT (S)", 30, 1, 255},
      {"S12", "ESCAPE GUARD TIME (1/50 S)", 50, 0, 255},
      {"S26", "CS DELAY (10 MS)", 0, 0, 255},
  };
  table.insert(table.end(), rest.begin(), rest.end());
  return table;
}

const std::vector<Parameter>& Table() {
  static const std::vector<Parameter> table = BuildParameters();
  return table;
}

std::optional<std::size_t> IndexOf(std::string_view name) {
  const auto& table = Table();
  const auto it = std::find_if(table.begin(), table.end(),
                               [name](const Parameter& p) { return p.name == name; });
  if (it == table.end()) return std::nullopt;
  return static_cast<std::size_t>(it - table.begin());
}

bool Accepts(const Parameter& parameter, int value) {
  if (value < parameter.min || value > parameter.max) return false;
  return value < 0 || value >= 32 || (parameter.refused & (1u << value)) == 0;
}

}  // namespace

Profile::Profile() {
  Reset();
}

void Profile::Reset() {
  values_.clear();
  for (const Parameter& parameter : Table()) values_.push_back(parameter.factory);
}

std::optional<int> Profile::Get(std::string_view name) const {
  const auto index = IndexOf(name);
  if (!index) return std::nullopt;
  return values_[*index];
}

int Profile::Value(std::string_view name) const {
  const auto value = Get(name);
  if (!value) std::abort();  // a misspelt name in the engine, not operator input
  return *value;
}

bool Profile::Set(std::string_view name, int value) {
  const auto index = IndexOf(name);
  if (!index || !Accepts(Table()[*index], value)) return false;
  values_[*index] = value;
  return true;
}

std::span<const Parameter> Profile::Parameters() {
  return Table();
}

std::string FormatValue(int value) {
  return value == kNotSet ? "N" : std::to_string(value);
}

}  // namespace vexa::tasim
