// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command tree as the core sees it: items in a fixed order, each owning one CAttr.
// The window's tree control and the plain CommandTree both implement it, so loading,
// saving, revalidation and timers are written once.

#include <memory>

#include "core/items/Attr.h"

namespace vexa {

// What every tree's item is to the core. Each ItemTree's own item type derives from it, and
// only the tree that made an item turns its handle back into that type.
class ItemNode {
 protected:
  ItemNode() = default;
  ~ItemNode() = default;  // items are deleted by their tree, never through a handle
};

// One tree item; nullptr means none (or, as a parent, the top level).
using ItemHandle = ItemNode*;

class ItemTree {
 public:
  virtual ~ItemTree() = default;

  virtual ItemHandle FirstChild(ItemHandle parent) const = 0;  // parent nullptr: top level
  virtual ItemHandle NextSibling(ItemHandle item) const = 0;
  virtual ItemHandle Parent(ItemHandle item) const = 0;  // nullptr for a top-level item
  virtual CAttr* Record(ItemHandle item) const = 0;

  // Appends an item as the last child of `parent`, owning `record`; shows its label and image.
  virtual ItemHandle AppendItem(ItemHandle parent, std::unique_ptr<CAttr> record) = 0;
  // Deletes every item with its record.
  virtual void ClearTree() = 0;
  // The record's label or kind changed: refresh how the item is shown. Nothing by default.
  virtual void RecordChanged(ItemHandle /*item*/) {}

  bool IsEmpty() const { return FirstChild(nullptr) == nullptr; }
};

// Pre-order walk. Walking a subtree, its root is level 1 and is not yielded; walking the
// whole tree (start nullptr), top-level items are level 2, their children 3, and so on.
class WalkSubtree {
 public:
  WalkSubtree(const ItemTree& tree, ItemHandle start) : tree_(tree), current_(start) {}

  // The next item and its level, or nullptr when the walk is over.
  ItemHandle Next(int& level);

 private:
  const ItemTree& tree_;
  ItemHandle current_;
  int level_ = 1;
  bool over_ = false;
};

// Calls fn(item, level) for every item the walk from `start` yields.
template <typename Fn>
void ForEachItem(const ItemTree& tree, ItemHandle start, Fn&& fn) {
  WalkSubtree walk(tree, start);
  int level = 0;
  while (ItemHandle item = walk.Next(level)) fn(item, level);
}

// Calls fn(item) for `item` itself and every item below it; for the whole tree when nullptr.
template <typename Fn>
void ForSubtree(const ItemTree& tree, ItemHandle item, Fn&& fn) {
  if (item) fn(item);
  ForEachItem(tree, item, [&](ItemHandle each, int) { fn(each); });
}

// The tree without a window: for the headless runner, tests and benchmarks.
class CommandTree final : public ItemTree {
 public:
  CommandTree();
  ~CommandTree() override;

  ItemHandle FirstChild(ItemHandle parent) const override;
  ItemHandle NextSibling(ItemHandle item) const override;
  ItemHandle Parent(ItemHandle item) const override;
  CAttr* Record(ItemHandle item) const override;
  ItemHandle AppendItem(ItemHandle parent, std::unique_ptr<CAttr> record) override;
  void ClearTree() override;

 private:
  struct Node;
  static Node* AsNode(ItemHandle item);
  std::unique_ptr<Node> root_;
};

}  // namespace vexa
