// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/AutoAnswer.h"

#include <gtest/gtest.h>

#include <deque>

namespace vexa {
namespace {

TEST(CompareAnswerBytes, SignedByteOrderWithPrefixesMatching) {
  struct Row {
    const char* entry;
    const char* received;
    int expected;
  };
  const Row rows[] = {
      {"RI", "RING\r\n", 0},
      {"RING", "RING\r\n", 0},
      {"RING\r\n", "RING\r\n", 0},
      {"RING\r\n1", "RING\r\n", 1},  // longer never matches
      {"RA", "RING", -1},
      {"RO", "RING", 1},
      {"", "x", 0},
      {"\x82", "A", -1},  // 0x82 is negative as a signed byte
      {"A", "\x82\xA0", 1},
      {"\x82\xA0", "\x82\xA0X", 0},
      {"\x7F", "\x80", 1},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CompareAnswerBytes(row.entry, row.received), row.expected)
        << '"' << row.entry << "\" against \"" << row.received << '"';
  }
}

class AutoAnswerTable : public testing::Test {
 protected:
  CAttr& Item(const std::string& bytes, const std::string& name) {
    CAttr& item = items_.emplace_back();
    item.receiveBytes = bytes;
    item.label = name;
    return item;
  }
  std::string Names(std::span<CAttr* const> items) {
    std::string names;
    for (const CAttr* item : items) names += item->label + " ";
    return names;
  }

  std::deque<CAttr> items_;
  std::string stopped_;
  CAutoAnswer table_{[this](CAttr& item) { stopped_ += item.label + " "; }};
};

TEST_F(AutoAnswerTable, EveryEntryThatBeginsTheLineMatchesInTableOrder) {
  for (CAttr* item :
       {&Item("RING", "ring"), &Item("RI", "ri"), &Item("\x82\xA0", "kana"), &Item("OK", "ok1"),
        &Item("RINGING", "long"), &Item("OK", "ok2"), &Item("R", "r")}) {
    table_.Insert(*item);
  }
  EXPECT_EQ(Names(table_.Match("RING\r\n")), "r ri ring ");
  EXPECT_EQ(Names(table_.Match("OK\r\n")), "ok1 ok2 ") << "equal bytes keep insertion order";
  EXPECT_EQ(Names(table_.Match("\x82\xA0\x82\xA2")), "kana ");
  EXPECT_EQ(Names(table_.Match("RIN")), "r ri ");
  EXPECT_TRUE(table_.Match("ATZ").empty());
  EXPECT_TRUE(table_.Match("").empty());
}

TEST_F(AutoAnswerTable, InsertResetsTheAnswerStateAndRemovalStopsIt) {
  CAttr& ring = Item("RING", "ring");
  CAttr& ok = Item("OK", "ok");
  ring.answerPending = 1;
  ring.answerTimerId = 7;
  table_.Insert(ring);
  table_.Insert(ok);
  EXPECT_EQ(ring.answerPending, 0);
  EXPECT_EQ(ring.answerTimerId, 0u);

  EXPECT_TRUE(table_.Remove(ring));
  EXPECT_EQ(stopped_, "ring ");
  EXPECT_FALSE(table_.Remove(ring));
  EXPECT_TRUE(table_.Match("RING").empty());

  table_.Insert(ring);
  table_.Clear();
  EXPECT_EQ(stopped_, "ring ok ring ");
  EXPECT_EQ(table_.Size(), 0u);
  EXPECT_FALSE(table_.Remove(ok)) << "an empty table";
}

}  // namespace
}  // namespace vexa
