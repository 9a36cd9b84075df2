// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/ItemTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ItemTreeText.h"

namespace vexa {
namespace {

using test::Add;
using test::Walk;

TEST(WalkSubtree, LevelsForTheWholeTreeAndForASubtree) {
  CommandTree tree;
  EXPECT_EQ(Walk(tree, nullptr), "");
  EXPECT_TRUE(tree.IsEmpty());
  const ItemHandle a = Add(tree, nullptr, "a");
  const ItemHandle a1 = Add(tree, a, "a1");
  Add(tree, a1, "a11");
  Add(tree, a1, "a12");
  const ItemHandle a2 = Add(tree, a, "a2");
  const ItemHandle b = Add(tree, nullptr, "b");
  const ItemHandle c = Add(tree, nullptr, "c");
  Add(tree, c, "c1");

  EXPECT_EQ(Walk(tree, nullptr), "2a 3a1 4a11 4a12 3a2 2b 2c 3c1 ");
  EXPECT_EQ(Walk(tree, a), "2a1 3a11 3a12 2a2 ") << "the root is not yielded, nor its siblings";
  EXPECT_EQ(Walk(tree, a1), "2a11 2a12 ");
  EXPECT_EQ(Walk(tree, a2), "") << "a leaf yields nothing";
  EXPECT_EQ(Walk(tree, b), "");
  EXPECT_EQ(Walk(tree, c), "2c1 ");

  EXPECT_EQ(tree.Parent(a1), a);
  EXPECT_EQ(tree.Parent(a), nullptr);
  EXPECT_EQ(tree.NextSibling(a), b);
  EXPECT_EQ(tree.NextSibling(c), nullptr);

  std::vector<std::string> subtree;
  ForSubtree(tree, a1, [&](ItemHandle item) { subtree.push_back(tree.Record(item)->label); });
  EXPECT_EQ(subtree, (std::vector<std::string>{"a1", "a11", "a12"}));

  tree.ClearTree();
  EXPECT_TRUE(tree.IsEmpty());
  EXPECT_EQ(Walk(tree, nullptr), "");
}

TEST(WalkSubtree, EndsAfterTheLastItemAndStaysEnded) {
  CommandTree tree;
  const ItemHandle a = Add(tree, nullptr, "a");
  Add(tree, a, "a1");
  WalkSubtree walk(tree, nullptr);
  int level = 0;
  EXPECT_NE(walk.Next(level), nullptr);
  EXPECT_NE(walk.Next(level), nullptr);
  EXPECT_EQ(walk.Next(level), nullptr);
  EXPECT_EQ(walk.Next(level), nullptr);
}

}  // namespace
}  // namespace vexa
