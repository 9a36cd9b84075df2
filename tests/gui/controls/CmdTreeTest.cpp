// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/CmdTree.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
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

// Rows are never elided: a row wider than the tree scrolls sideways, and a point right of a
// short label still falls on its row.
TEST(CCmdTree, LongRowsAreShownWholeBehindAHorizontalScrollBar) {
  CCmdTree tree;
  tree.resize(200, 150);
  const ItemHandle top = Add(tree, nullptr, "short");
  const ItemHandle wide = Add(tree, top, std::string(130, 'x'));
  tree.expandAll();
  tree.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
  QTreeWidgetItem* const wideItem = CCmdTree::ItemOf(wide);
  EXPECT_GE(tree.visualItemRect(wideItem).width(),
            tree.fontMetrics().horizontalAdvance(wideItem->text(0)));
  EXPECT_TRUE(QTest::qWaitFor([&] { return tree.horizontalScrollBar()->isVisible(); }, 2000));
  const int shortRow = tree.visualItemRect(CCmdTree::ItemOf(top)).center().y();
  EXPECT_EQ(tree.itemAt(tree.viewport()->width() - 2, shortRow), CCmdTree::ItemOf(top));

  tree.collapseAll();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !tree.horizontalScrollBar()->isVisible(); }, 2000))
      << "no wide row is shown";
  EXPECT_EQ(tree.itemAt(tree.viewport()->width() - 2, shortRow), CCmdTree::ItemOf(top));
}

TEST(CCmdTree, WalksLongSiblingListsInLinearTime) {
  CCmdTree tree;
  for (int i = 0; i < 20000; ++i) Add(tree, nullptr, "x");
  int count = 0;
  ForEachItem(tree, nullptr, [&](ItemHandle, int) { ++count; });
  EXPECT_EQ(count, 20000);
}

TEST(CCmdTree, ShowsTheImageOfEachKind) {
  CCmdTree tree;
  tree.CreateItemImages();
  const ItemHandle item = Add(tree, nullptr, "x");
  const std::int32_t kinds[] = {kKindHex, kKindText, kKindNone, 7};
  for (std::int32_t kind : kinds) {
    tree.Record(item)->sendKind = kind;
    tree.RecordChanged(item);
    EXPECT_EQ(CCmdTree::ItemOf(item)->icon(0).cacheKey(),
              tree.Image(CCmdTree::ImageForKind(kind)).cacheKey());
  }
  EXPECT_EQ(CCmdTree::ImageForKind(kKindHex), CCmdTree::kImageHex);
  EXPECT_EQ(CCmdTree::ImageForKind(kKindText), CCmdTree::kImageText);
  EXPECT_EQ(CCmdTree::ImageForKind(7), CCmdTree::kImageHeading);
  EXPECT_FALSE(tree.Image(CCmdTree::kImageHex).isNull());
  EXPECT_NE(tree.Image(CCmdTree::kImageHex).cacheKey(),
            tree.Image(CCmdTree::kImageText).cacheKey());
}

TEST(CCmdTree, ASlowClickOnTheSelectedLabelAsksForAnEditButADoubleClickDoesNot) {
  CCmdTree tree;
  tree.resize(200, 100);
  tree.show();
  const ItemHandle item = Add(tree, nullptr, "label");
  tree.SelectItem(item);
  QSignalSpy requests(&tree, &CCmdTree::labelEditRequested);
  const QPoint label = tree.LabelRect(item).center();
  const QPoint onLabel = tree.viewport()->mapFromGlobal(label);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onLabel);
  EXPECT_TRUE(requests.wait(2 * QApplication::doubleClickInterval()));
  ASSERT_EQ(requests.count(), 1);
  EXPECT_EQ(requests[0][0].value<QTreeWidgetItem*>(), CCmdTree::ItemOf(item));

  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onLabel);
  QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, onLabel);
  QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, onLabel);
  EXPECT_FALSE(requests.wait(2 * QApplication::doubleClickInterval()));
  EXPECT_EQ(requests.count(), 1);
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
