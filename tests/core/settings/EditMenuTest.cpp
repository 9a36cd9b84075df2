// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/EditMenu.h"

#include <gtest/gtest.h>

#include "support/MenuText.h"

namespace vexa {
namespace {

using Rows = std::vector<std::string>;

TEST(EditMenuDescription, EntriesAreGreyedByTheFieldsState) {
  struct Case {
    const char* what;
    EditFieldState field;
    const char* selected;
    Rows rows;
  };
  const Case cases[] = {
      {"empty field, clipboard empty",
       {false, 0, 0, 0, false},
       "",
       {"元に戻す(&U) (grey)", "-", "切り取り(&T) (grey)", "ｺﾋﾟｰ(&C) (grey)", "貼り付け(&P) (grey)",
        "削除(&D) (grey)", "-", "すべて選択(&A) (grey)", "-", "SUMを貼り付け(&P) (grey)",
        "SUM計算(&S) (grey)", "  WORDで計算(&W)", "    ２の補数(&2)", "    １の補数(&1)",
        "    累計(&0)", "  BYTEで計算(&B)", "    ２の補数(&2)", "    １の補数(&1)",
        "    累計(&0)"}},
      {"part of 010203 selected, undo possible, text on the clipboard",
       {true, 2, 6, 6, true},
       "0203",
       {"元に戻す(&U)", "-", "切り取り(&T)", "ｺﾋﾟｰ(&C)", "貼り付け(&P)", "削除(&D)", "-",
        "すべて選択(&A)", "-", "SUMを貼り付け(&P) (grey)", "SUM計算(&S)", "  WORDで計算(&W)",
        "    ２の補数(&2)", "    １の補数(&1)", "    累計(&0)", "  BYTEで計算(&B)",
        "    ２の補数(&2)", "    １の補数(&1)", "    累計(&0)"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(test::Rows(EditMenuDescription(c.field, CCalcSum(), c.selected)), c.rows) << c.what;
  }
}

TEST(EditMenuDescription, SelectAllIsGreyOnlyWhenEverythingIsSelected) {
  const CCalcSum sum;
  auto selectAllEnabled = [&](EditFieldState field) {
    return EditMenuDescription(field, sum, "")[7].enabled;
  };
  EXPECT_FALSE(selectAllEnabled({false, 0, 4, 4, false}));
  EXPECT_TRUE(selectAllEnabled({false, 0, 3, 4, false}));
  EXPECT_TRUE(selectAllEnabled({false, 4, 4, 4, false})) << "caret at the end, nothing selected";
  EXPECT_EQ(EditMenuDescription({}, sum, "")[7].id, kIdEditSelectAll);
}

TEST(EditMenuDescription, PasteSumFollowsAComputedSum) {
  CCalcSum sum;
  ASSERT_EQ(sum.ComputeSum("0102", kIdByteTotal), SumResult::kComputed);
  const MenuDescription menu = EditMenuDescription({false, 0, 0, 4, false}, sum, "");
  EXPECT_EQ(menu[9].id, kIdPasteSum);
  EXPECT_TRUE(menu[9].enabled);
}

}  // namespace
}  // namespace vexa
