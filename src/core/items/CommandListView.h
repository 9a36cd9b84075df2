// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command list window as the tree's handlers see it: one row per item that has command
// data. While the window does not exist, the row operations do nothing, so callers need not
// check.

#include <functional>
#include <string>

#include "core/items/ItemTree.h"

namespace vexa {

class CommandListView {
 public:
  virtual ~CommandListView() = default;

  // The window is open (its menu command carries the check mark).
  virtual bool IsShown() const = 0;
  // A row for `item`, showing `record`'s data, period and automatic answer.
  virtual void AddRow(ItemHandle item, const CAttr& record) = 0;
  // False when no row belongs to `item`.
  virtual bool RemoveRow(ItemHandle item) = 0;
  virtual void RemoveAllRows() = 0;
  // The command file's title (file-system encoding) for the caption; empty for a new file.
  virtual void SetFileTitle(const std::string& title) = 0;
  // A refill adds its rows between these two, so a view may take them as one change.
  virtual void BeginRefill() {}
  virtual void EndRefill() {}
};

// Empties the list and adds a row for every item with command data, in walk order.
// `afterEachItem`, when given, runs after each item.
void RefillCommandList(const ItemTree& tree, CommandListView& list,
                       const std::function<void()>& afterEachItem = {});

}  // namespace vexa
