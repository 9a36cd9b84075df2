// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/CommandListRows.h"

#include <algorithm>

#include "core/codec/Cp932.h"

namespace vexa {
namespace {

std::string NumberOrBlank(bool shown, std::int64_t value) {
  return shown ? std::to_string(value) : std::string(" ");
}

// Reads one character code and advances.
unsigned NextCode(std::string_view& text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (IsCp932LeadByte(lead) && text.size() >= 2) {
    const unsigned code = lead * 256u + static_cast<unsigned char>(text[1]);
    text.remove_prefix(2);
    return code;
  }
  text.remove_prefix(1);
  return lead;
}

int Sign(long long value) {
  return value > 0 ? 1 : value < 0 ? -1 : 0;
}

}  // namespace

std::array<std::string, 4> CommandListColumnsOf(const CAttr& item) {
  const bool answers = item.receiveLength() != 0;
  return {item.sendText, NumberOrBlank(item.repeatPeriod != 0, item.repeatPeriod),
          answers ? item.receiveText : std::string(" "), NumberOrBlank(answers, item.answerDelay)};
}

int CompareCp932(std::string_view a, std::string_view b) {
  while (!a.empty() && !b.empty()) {
    const unsigned x = NextCode(a);
    const unsigned y = NextCode(b);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.empty() ? (b.empty() ? 0 : -1) : 1;
}

int CommandListSort::ClickColumn(int column) {
  column_ = std::clamp(column, 0, 3);
  const bool ascending = ascending_[static_cast<std::size_t>(column_)] == 0;
  ascending_.fill(0);
  ascending_[static_cast<std::size_t>(column_)] = ascending ? 1 : 0;
  greater_ = ascending ? 1 : -1;
  return greater_;
}

int CommandListSort::Compare(const CAttr& a, const CAttr& b) const {
  const int less = -greater_;
  auto ordered = [&](int sign) { return sign == 0 ? 0 : sign > 0 ? greater_ : less; };
  // An empty key sorts last whichever way the column runs. Two empty keys are equal, so
  // the comparison stays a consistent order for the sort.
  auto blanksLast = [](int result, bool firstEmpty, bool secondEmpty) {
    if (firstEmpty && secondEmpty) return 0;
    if (firstEmpty) return 1;
    if (secondEmpty) return -1;
    return result;
  };
  switch (column_) {
    case 0:
      return ordered(CompareCp932(a.sendText, b.sendText));
    case 1: {
      const auto x = static_cast<std::uint32_t>(a.repeatPeriod);
      const auto y = static_cast<std::uint32_t>(b.repeatPeriod);
      return blanksLast(ordered(Sign(static_cast<long long>(x) - y)), x == 0, y == 0);
    }
    case 2:
      return blanksLast(ordered(CompareCp932(a.receiveText, b.receiveText)), a.receiveText.empty(),
                        b.receiveText.empty());
    default: {
      const auto x = a.receiveText.empty() ? 0u : static_cast<std::uint32_t>(a.answerDelay);
      const auto y = b.receiveText.empty() ? 0u : static_cast<std::uint32_t>(b.answerDelay);
      return blanksLast(ordered(Sign(static_cast<long long>(x) - y)), x == 0, y == 0);
    }
  }
}

}  // namespace vexa
