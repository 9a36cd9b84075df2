// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/CommandListRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vexa {
namespace {

CAttr Item(std::string send, int period, std::string answer = "", int delay = 1) {
  CAttr item;
  item.sendText = std::move(send);
  item.repeatPeriod = period;
  item.receiveText = answer;
  item.receiveBytes = answer;
  item.answerDelay = delay;
  return item;
}

TEST(CommandListColumns, BlanksAreSingleSpaces) {
  EXPECT_EQ(CommandListColumnsOf(Item("AT", 500)),
            (std::array<std::string, 4>{"AT", "500", " ", " "}));
  EXPECT_EQ(CommandListColumnsOf(Item("ATA", 0, "RING", 100)),
            (std::array<std::string, 4>{"ATA", " ", "RING", "100"}));
}

TEST(CompareCp932, ComparesCharacterCodes) {
  EXPECT_LT(CompareCp932("A", "B"), 0);
  EXPECT_EQ(CompareCp932("AB", "AB"), 0);
  EXPECT_LT(CompareCp932("A", "AB"), 0);
  // Half-width katakana (one byte, 0xB1) sorts before a double-byte character (0x82A0).
  EXPECT_LT(CompareCp932("\xB1", "\x82\xA0"), 0);
  EXPECT_GT(CompareCp932("\x82\xA2", "\x82\xA0"), 0);
}

std::vector<int> SortedPeriods(std::vector<CAttr>& items, const CommandListSort& sort) {
  std::stable_sort(items.begin(), items.end(),
                   [&](const CAttr& a, const CAttr& b) { return sort.Compare(a, b) < 0; });
  std::vector<int> periods;
  for (const CAttr& i : items) periods.push_back(i.repeatPeriod);
  return periods;
}

TEST(CommandListSort, PeriodsTwiceAscendingThenDescendingBlanksLast) {
  std::vector<CAttr> items;
  for (int p : {0, 300, 100, 0, 200}) items.push_back(Item("X", p));
  CommandListSort sort;
  EXPECT_EQ(sort.ClickColumn(1), 1) << "first click on another column sorts ascending";
  EXPECT_EQ(SortedPeriods(items, sort), (std::vector<int>{100, 200, 300, 0, 0}));
  EXPECT_EQ(sort.ClickColumn(1), -1);
  EXPECT_EQ(SortedPeriods(items, sort), (std::vector<int>{300, 200, 100, 0, 0}));
}

TEST(CommandListSort, FirstClickOnTheCommandColumnSortsDescending) {
  CommandListSort sort;
  EXPECT_EQ(sort.ClickColumn(0), -1);
  EXPECT_GT(sort.Compare(Item("A", 0), Item("B", 0)), 0);
  EXPECT_EQ(sort.ClickColumn(0), 1);
  EXPECT_LT(sort.Compare(Item("A", 0), Item("B", 0)), 0);
}

TEST(CommandListSort, AnswersAndDelaysKeepBlanksLast) {
  CommandListSort sort;
  for (int column : {2, 3}) {
    for (int click = 0; click < 2; ++click) {
      sort.ClickColumn(column);
      const CAttr none = Item("A", 0);
      const CAttr ring = Item("B", 0, "RING", 50);
      EXPECT_GT(sort.Compare(none, ring), 0) << column;
      EXPECT_LT(sort.Compare(ring, none), 0) << column;
      EXPECT_EQ(sort.Compare(none, none), 0) << column;
    }
  }
}

}  // namespace
}  // namespace vexa
