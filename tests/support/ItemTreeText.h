// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Building item trees from labels and reading them back as "level+label" text.

#include <memory>
#include <string>

#include "core/items/ItemTree.h"

namespace vexa::test {

inline ItemHandle Add(ItemTree& tree, ItemHandle parent, const std::string& label) {
  auto record = std::make_unique<CAttr>();
  record->label = label;
  return tree.AppendItem(parent, std::move(record));
}

// "2a 3a1 " for the walk from `start`.
inline std::string Walk(const ItemTree& tree, ItemHandle start) {
  std::string out;
  ForEachItem(tree, start, [&](ItemHandle item, int level) {
    out += std::to_string(level) + tree.Record(item)->label + " ";
  });
  return out;
}

}  // namespace vexa::test
