// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/EditMenu.h"

#include <gtest/gtest.h>

#include "support/MenuText.h"

namespace vexa {
namespace {

using Rows = std::vector<std::string>;

Rows Joined(Rows rows, const Rows& more) {
  rows.insert(rows.end(), more.begin(), more.end());
  return rows;
}

const Rows kSumChildren = {"  WORDで計算(&W)", "    ２の補数(&2)", "    １の補数(&1)",
                           "    累計(&0)",     "  BYTEで計算(&B)", "    ２の補数(&2)",
                           "    １の補数(&1)", "    累計(&0)"};
const Rows kCrcChildren = {"  CRC-8 多項式07(&1)",
                           "  CRC-8/MAXIM(&2)",
                           "  CRC-16/MODBUS 下位ﾊﾞｲﾄから(&3)",
                           "  CRC-16/CCITT-FALSE 上位ﾊﾞｲﾄから(&4)",
                           "  CRC-16/XMODEM 上位ﾊﾞｲﾄから(&5)",
                           "  CRC-16/KERMIT 下位ﾊﾞｲﾄから(&6)",
                           "  CRC-32 上位ﾊﾞｲﾄから(&7)",
                           "  BCC 全ﾊﾞｲﾄのXOR(&8)"};

TEST(EditMenuDescription, EntriesAreGreyedByTheFieldsState) {
  struct Case {
    const char* what;
    EditFieldState field;
    const char* selected;
    const char* covered;
    Rows rows;
  };
  const Case cases[] = {
      {"empty field, clipboard empty",
       {false, 0, 0, 0, false},
       "",
       "",
       Joined(Joined({"元に戻す(&U) (grey)", "-", "切り取り(&T) (grey)", "ｺﾋﾟｰ(&C) (grey)",
                      "貼り付け(&P) (grey)", "削除(&D) (grey)", "-", "すべて選択(&A) (grey)", "-",
                      "SUMを貼り付け(&P) (grey)", "SUM計算(&S) (grey)"},
                     kSumChildren),
              Joined({"CRC(&R) (grey)"}, kCrcChildren))},
      {"part of 010203 selected, undo possible, text on the clipboard",
       {true, 2, 6, 6, true},
       "0203",
       "0203",
       Joined(Joined({"元に戻す(&U)", "-", "切り取り(&T)", "ｺﾋﾟｰ(&C)", "貼り付け(&P)", "削除(&D)",
                      "-", "すべて選択(&A)", "-", "SUMを貼り付け(&P) (grey)", "SUM計算(&S)"},
                     kSumChildren),
              Joined({"CRC(&R)"}, kCrcChildren))},
      {"nothing selected in 0102: no sum, but a CRC of the whole text",
       {false, 3, 3, 4, false},
       "",
       "0102",
       Joined(Joined({"元に戻す(&U) (grey)", "-", "切り取り(&T) (grey)", "ｺﾋﾟｰ(&C) (grey)",
                      "貼り付け(&P) (grey)", "削除(&D) (grey)", "-", "すべて選択(&A)", "-",
                      "SUMを貼り付け(&P) (grey)", "SUM計算(&S) (grey)"},
                     kSumChildren),
              Joined({"CRC(&R)"}, kCrcChildren))},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(test::Rows(EditMenuDescription(c.field, CCalcSum(), c.selected, c.covered)), c.rows)
        << c.what;
  }
}

TEST(EditMenuDescription, CrcCoversTheSelectionOrElseTheWholeText) {
  struct Case {
    EditFieldState field;
    int start, end;
  };
  const Case cases[] = {{{false, 2, 6, 8, false}, 2, 6},
                        {{false, 3, 3, 8, false}, 0, 8},
                        {{false, 0, 0, 0, false}, 0, 0}};
  for (const Case& c : cases) {
    const TextSpan span = CrcSpan(c.field);
    EXPECT_EQ(span.start, c.start) << c.field.selectionStart << "-" << c.field.selectionEnd;
    EXPECT_EQ(span.end, c.end) << c.field.selectionStart << "-" << c.field.selectionEnd;
  }
}

TEST(EditMenuDescription, SelectAllIsGreyOnlyWhenEverythingIsSelected) {
  const CCalcSum sum;
  auto selectAllEnabled = [&](EditFieldState field) {
    return EditMenuDescription(field, sum, "", "")[7].enabled;
  };
  EXPECT_FALSE(selectAllEnabled({false, 0, 4, 4, false}));
  EXPECT_TRUE(selectAllEnabled({false, 0, 3, 4, false}));
  EXPECT_TRUE(selectAllEnabled({false, 4, 4, 4, false})) << "caret at the end, nothing selected";
  EXPECT_EQ(EditMenuDescription({}, sum, "", "")[7].id, kIdEditSelectAll);
}

TEST(EditMenuDescription, PasteSumFollowsAComputedSum) {
  CCalcSum sum;
  ASSERT_EQ(sum.ComputeSum("0102", kIdByteTotal), SumResult::kComputed);
  const MenuDescription menu = EditMenuDescription({false, 0, 0, 4, false}, sum, "", "");
  EXPECT_EQ(menu[9].id, kIdPasteSum);
  EXPECT_TRUE(menu[9].enabled);
}

}  // namespace
}  // namespace vexa
