// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/CopySubtree.h"

#include <gtest/gtest.h>

#include "support/ItemTreeText.h"

namespace vexa {
namespace {

using test::Add;
using test::Walk;

TEST(CopySubtree, CopiesKeepTheShapeAtEveryDepthChange) {
  CommandTree tree;
  const ItemHandle a = Add(tree, nullptr, "a");
  const ItemHandle a1 = Add(tree, a, "a1");
  const ItemHandle a11 = Add(tree, a1, "a11");
  Add(tree, a11, "a111");
  Add(tree, a1, "a12");
  Add(tree, a, "a2");
  const ItemHandle a3 = Add(tree, a, "a3");
  Add(tree, a3, "a31");
  const ItemHandle target = Add(tree, nullptr, "target");

  const ItemHandle root = tree.AppendItem(target, CopyOfRecord(*tree.Record(a)));
  CopyDescendants(tree, a, root);
  EXPECT_EQ(Walk(tree, root), "2a1 3a11 4a111 3a12 2a2 2a3 3a31 ")
      << "two levels up at once, then down again";
  EXPECT_EQ(Walk(tree, a), "2a1 3a11 4a111 3a12 2a2 2a3 3a31 ") << "the source is untouched";

  const ItemHandle leaf = tree.AppendItem(nullptr, CopyOfRecord(*tree.Record(a11)));
  CopyDescendants(tree, a11, leaf);
  EXPECT_EQ(Walk(tree, leaf), "2a111 ");
  const ItemHandle alone = tree.AppendItem(nullptr, CopyOfRecord(*tree.Record(a3)));
  CopyDescendants(tree, tree.FirstChild(a3), alone);
  EXPECT_EQ(Walk(tree, alone), "") << "a leaf has nothing below it to copy";
}

TEST(CopySubtree, ARecordCopyHasEveryFieldButNoneOfTheRunningTimers) {
  CAttr source;
  source.label = "desc;AT";
  source.sendDescription = "desc";
  source.sendText = "AT";
  source.sendKind = kKindText;
  source.receiveText = "RING";
  source.receiveDescription = "ring";
  source.receiveKind = kKindText;
  source.repeatPeriod = 500;
  source.answerDelay = 20;
  source.BuildSendBytes("\r\n", false);
  source.BuildReceiveBytes(false);
  source.repeatTimerId = 7;
  source.answerTimerId = 9;
  source.answerPending.store(1);

  const auto copy = CopyOfRecord(source);
  EXPECT_EQ(copy->label, source.label);
  EXPECT_EQ(copy->sendDescription, source.sendDescription);
  EXPECT_EQ(copy->sendText, source.sendText);
  EXPECT_EQ(copy->sendKind, source.sendKind);
  EXPECT_EQ(copy->receiveText, source.receiveText);
  EXPECT_EQ(copy->receiveDescription, source.receiveDescription);
  EXPECT_EQ(copy->receiveKind, source.receiveKind);
  EXPECT_EQ(copy->repeatPeriod, 500);
  EXPECT_EQ(copy->answerDelay, 20);
  EXPECT_EQ(copy->sendBytes, "AT\r\n");
  EXPECT_EQ(copy->receiveBytes, "RING");
  EXPECT_EQ(copy->repeatTimerId, 0u);
  EXPECT_EQ(copy->answerTimerId, 0u);
  EXPECT_EQ(copy->answerPending.load(), 0);
  EXPECT_EQ(source.repeatTimerId, 7u) << "the source keeps its own";
  EXPECT_EQ(source.answerPending.load(), 1);
}

TEST(CopySubtree, AnItemIsWithinItsOwnSubtreeAndThoseOfItsAncestorsOnly) {
  CommandTree tree;
  const ItemHandle a = Add(tree, nullptr, "a");
  const ItemHandle a1 = Add(tree, a, "a1");
  const ItemHandle a11 = Add(tree, a1, "a11");
  const ItemHandle b = Add(tree, nullptr, "b");
  EXPECT_TRUE(IsWithinSubtree(tree, a, a));
  EXPECT_TRUE(IsWithinSubtree(tree, a11, a));
  EXPECT_TRUE(IsWithinSubtree(tree, a11, a1));
  EXPECT_FALSE(IsWithinSubtree(tree, a, a1)) << "an ancestor is outside";
  EXPECT_FALSE(IsWithinSubtree(tree, b, a));
  EXPECT_FALSE(IsWithinSubtree(tree, nullptr, a));
}

}  // namespace
}  // namespace vexa
