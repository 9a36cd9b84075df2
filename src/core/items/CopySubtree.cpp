// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/CopySubtree.h"

namespace vexa {

bool IsWithinSubtree(const ItemTree& tree, ItemHandle item, ItemHandle root) {
  for (ItemHandle each = item; each; each = tree.Parent(each)) {
    if (each == root) return true;
  }
  return false;
}

std::unique_ptr<CAttr> CopyOfRecord(const CAttr& source) {
  auto copy = std::make_unique<CAttr>();
  copy->Assign(source);
  copy->repeatTimerId = 0;
  copy->answerTimerId = 0;
  copy->answerPending.store(0);
  return copy;
}

void CopyDescendants(ItemTree& tree, ItemHandle source, ItemHandle copyRoot) {
  // The walk yields levels; the parent of each copy follows them from the copy root down.
  ItemHandle parent = copyRoot;
  ItemHandle lastCopy = copyRoot;
  int previousLevel = 1;
  ForEachItem(tree, source, [&](ItemHandle item, int level) {
    if (level > previousLevel) {
      parent = lastCopy;
    } else {
      for (int up = level; up < previousLevel; ++up) parent = tree.Parent(parent);
    }
    previousLevel = level;
    lastCopy = tree.AppendItem(parent, CopyOfRecord(*tree.Record(item)));
  });
}

}  // namespace vexa
