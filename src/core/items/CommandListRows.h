// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the command list window shows for an item, and how its rows sort.

#include <array>
#include <string>
#include <string_view>

#include "core/items/Attr.h"

namespace vexa {

// Column texts (CP932): command data, period, automatic answer, delay. A blank cell holds a
// single space.
std::array<std::string, 4> CommandListColumnsOf(const CAttr& item);

// Compares texts character by character (a double-byte character as one code), like a
// multi-byte string comparison: <0, 0, >0.
int CompareCp932(std::string_view a, std::string_view b);

// The sort state shared by the list: one direction flag per column.
class CommandListSort {
 public:
  // A click on a column header: flips that column's direction and resets the others.
  // Returns the comparison result that means "a sorts after b" (+1 ascending, -1 descending).
  int ClickColumn(int column);

  int column() const { return column_; }
  int greater() const { return greater_; }

  // Rows without a value in the sorted column end up at the bottom in both directions.
  int Compare(const CAttr& a, const CAttr& b) const;

 private:
  std::array<int, 4> ascending_ = {1, 0, 0, 0};  // the list starts sorted by column 0
  int column_ = 0;
  int greater_ = 1;
};

}  // namespace vexa
