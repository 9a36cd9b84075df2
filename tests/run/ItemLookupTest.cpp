// SPDX-License-Identifier: GPL-3.0-or-later
#include "ItemLookup.h"

#include <gtest/gtest.h>

#include "TreeDump.h"
#include "core/codec/Cp932.h"
#include "core/files/CommandFile.h"
#include "core/items/DefaultSet.h"

namespace vexa::run {
namespace {

class DefaultTree : public ::testing::Test {
 protected:
  void SetUp() override { LoadItemsFromText(tree, DefaultCommandSetText(), kDefaultCommSettings); }
  std::string Path(ItemHandle item) const { return Cp932ToUtf8(ItemPath(tree, item)); }
  CommandTree tree;
};

TEST_F(DefaultTree, UniqueDescription) {
  const LookupResult found = FindItem(tree, Utf8ToCp932("御機嫌伺い"));
  ASSERT_NE(found.item, nullptr);
  EXPECT_EQ(tree.Record(found.item)->sendText, "AT");
}

TEST_F(DefaultTree, AmbiguousDescriptionListsPathsAndAPathResolvesIt) {
  // "着信する" stands under several headings.
  const LookupResult ambiguous = FindItem(tree, Utf8ToCp932("着信する"));
  EXPECT_EQ(ambiguous.item, nullptr);
  ASSERT_GE(ambiguous.candidates.size(), 2u);
  EXPECT_EQ(Path(ambiguous.candidates[0]), "ｱﾅﾛｸﾞﾎﾟｰﾄ操作/各種ｱﾅﾛｸﾞAﾎﾟｰﾄ設定/ｸﾞﾛｰﾊﾞﾙ着信/着信する");

  const LookupResult byPath =
      FindItem(tree, Utf8ToCp932("各種ｱﾅﾛｸﾞBﾎﾟｰﾄ設定/ｸﾞﾛｰﾊﾞﾙ着信/着信する"));
  ASSERT_NE(byPath.item, nullptr);
  EXPECT_EQ(tree.Record(byPath.item)->sendText, "AT$B5=0");
}

TEST_F(DefaultTree, DescriptionsMayHoldSlashes) {
  const LookupResult found = FindItem(tree, Utf8ToCp932("非同期/同期PPP変換選択/PPP同期変換する"));
  ASSERT_NE(found.item, nullptr);
  EXPECT_EQ(tree.Record(found.item)->sendText, "AT$N1=1");
}

TEST_F(DefaultTree, UnknownNameListsNearMatches) {
  const LookupResult found = FindItem(tree, Utf8ToCp932("ﾘｻﾞﾙﾄ"));
  EXPECT_EQ(found.item, nullptr);
  ASSERT_EQ(found.candidates.size(), 1u);
  EXPECT_EQ(Path(found.candidates[0]), "操作/各種設定表示/ﾘｻﾞﾙﾄ関係");
  EXPECT_TRUE(FindItem(tree, "no such thing").candidates.empty());
}

TEST_F(DefaultTree, DumpShowsLevelKindPeriodAnswerAndLabel) {
  CAttr& first = *tree.Record(tree.FirstChild(nullptr));
  first.repeatPeriod = 5000;
  first.receiveText = "RING";
  first.receiveBytes = "RING";
  first.answerDelay = 500;
  const std::string dump = DumpTree(tree);
  EXPECT_EQ(dump.substr(0, dump.find('\n', dump.find('\n') + 1) + 1),
            "2\ttext\t5000\tRING after 500 ms\t御機嫌伺い;AT\n"
            "2\tnone\t-\t-\t操作\n");
  EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 202);
}

}  // namespace
}  // namespace vexa::run
