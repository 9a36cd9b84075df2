// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one-line form of a command item: description, separator, command data.

#include <string>
#include <string_view>

namespace vexa {

// Splits at the first separator that stands as a character of its own (never a trail byte
// of a double-byte character). Returns false, with the whole label as description and empty
// data, when there is none.
bool SplitLabel(std::string_view label, char separator, std::string& description,
                std::string& data);

// What the tree shows for a label: at most 120 bytes, then "..." when it was longer.
std::string DisplayTextOf(std::string_view label);

inline constexpr std::size_t kDisplayTextMax = 120;

}  // namespace vexa
