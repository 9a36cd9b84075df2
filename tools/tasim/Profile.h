// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The adapter's settings: option letters (E, V, &K, ...), $-parameters and S-registers.
// Each is a number with a range and a factory value, found by the name typed after "AT".

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::tasim {

// "$N3=N": the value that stands for "not set".
inline constexpr int kNotSet = -1;

struct Parameter {
  std::string name;  // "E", "&K", "\\Q", "$A1", "S0"
  std::string_view description;
  int factory;
  int min;  // kNotSet when "N" is accepted
  int max;
  unsigned refused = 0;  // bit v: value v inside [min, max] is not accepted
};

// Names the engine itself acts on.
inline constexpr std::string_view kEcho = "E";
inline constexpr std::string_view kQuiet = "Q";
inline constexpr std::string_view kVerbose = "V";
inline constexpr std::string_view kRingInfo = "W";
inline constexpr std::string_view kAutoAnswerRings = "S0";
inline constexpr std::string_view kRingCount = "S1";
inline constexpr std::string_view kEscapeChar = "S2";
inline constexpr std::string_view kLineEnd = "S3";
inline constexpr std::string_view kLineFeed = "S4";
inline constexpr std::string_view kBackspace = "S5";
inline constexpr std::string_view kGuardTime = "S12";

class Profile {
 public:
  Profile();

  // Factory values for everything.
  void Reset();

  // nullopt for a name the adapter does not have.
  std::optional<int> Get(std::string_view name) const;
  // For the names above, which always exist.
  int Value(std::string_view name) const;
  // False for an unknown name or a value the parameter does not take.
  bool Set(std::string_view name, int value);

  static std::span<const Parameter> Parameters();

 private:
  std::vector<int> values_;
};

// "N" for kNotSet, else the number.
std::string FormatValue(int value);

}  // namespace vexa::tasim
