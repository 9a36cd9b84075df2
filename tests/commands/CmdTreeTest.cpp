#include "commands/CmdTree.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <string>

#include "support/ItemTreeText.h"

namespace vexa {
namespace {

using test::Add;
using test::Walk;

TEST(CCmdTree, IsTheItemTreeOfItsWidgetItems) {
  CCmdTree tree;
  EXPECT_TRUE(tree.IsEmpty());
  const ItemHandle a = Add(tree, nullptr, "a");
  const ItemHandle a1 = Add(tree, a, "a1");
  Add(tree, a1, "a11");
  Add(tree, a, "a2");
  Add(tree, nullptr, "b");
  EXPECT_EQ(Walk(tree, nullptr), "2a 3a1 4a11 3a2 2b ");
  EXPECT_EQ(tree.Parent(a1), a);
  EXPECT_EQ(tree.Parent(a), nullptr);
  EXPECT_EQ(CCmdTree::ItemOf(a1)->parent(), CCmdTree::ItemOf(a));
  EXPECT_EQ(tree.topLevelItemCount(), 2);

  tree.ClearTree();
  EXPECT_TRUE(tree.IsEmpty());
  EXPECT_EQ(tree.topLevelItemCount(), 0);
}

TEST(CCmdTree, ShowsLabelsAsCp932CutAfter120Bytes) {
  CCmdTree tree;
  const ItemHandle japanese = Add(tree, nullptr, "\x8f\x89\x8a\xfa\x89\xbb;ATZ");  // 初期化;ATZ
  EXPECT_EQ(CCmdTree::ItemOf(japanese)->text(0), QString::fromUtf8("初期化;ATZ"));
  const ItemHandle longLabel = Add(tree, nullptr, std::string(130, 'x'));
  EXPECT_EQ(CCmdTree::ItemOf(longLabel)->text(0), QString(120, 'x') + "...");
  EXPECT_EQ(tree.Record(longLabel)->label.size(), 130u) << "the record keeps the whole label";

  tree.Record(japanese)->label = "heading";
  tree.RecordChanged(japanese);
  EXPECT_EQ(CCmdTree::ItemOf(japanese)->text(0), "heading");
}

TEST(CCmdTree, WalksLongSiblingListsInLinearTime) {
  CCmdTree tree;
  for (int i = 0; i < 20000; ++i) Add(tree, nullptr, "x");
  int count = 0;
  ForEachItem(tree, nullptr, [&](ItemHandle, int) { ++count; });
  EXPECT_EQ(count, 20000);
}

TEST(CCmdTree, ReportsFocusGainedAndLost) {
  QWidget window;
  auto* tree = new CCmdTree(&window);
  auto* other = new QWidget(&window);
  other->setFocusPolicy(Qt::StrongFocus);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  other->setFocus();
  QSignalSpy gained(tree, &CCmdTree::focusGained);
  QSignalSpy lost(tree, &CCmdTree::focusLost);
  tree->setFocus();
  other->setFocus();
  EXPECT_EQ(gained.count(), 1);
  EXPECT_EQ(lost.count(), 1);
}

}  // namespace
}  // namespace vexa
