// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/CommandListView.h"

namespace vexa {

void RefillCommandList(const ItemTree& tree, CommandListView& list,
                       const std::function<void()>& afterEachItem) {
  list.RemoveAllRows();
  list.BeginRefill();
  ForEachItem(tree, nullptr, [&](ItemHandle item, int) {
    const CAttr& record = *tree.Record(item);
    if (!record.sendText.empty()) list.AddRow(item, record);
    if (afterEachItem) afterEachItem();
  });
  list.EndRefill();
}

}  // namespace vexa
