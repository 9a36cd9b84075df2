// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Copying an item with everything below it, as a drag and drop does, written once against
// ItemTree.

#include <memory>

#include "core/items/ItemTree.h"

namespace vexa {

// True when `item` is `root` or lies anywhere below it.
bool IsWithinSubtree(const ItemTree& tree, ItemHandle item, ItemHandle root);

// A record with every field of `source`, but none of its running timers: the copy starts its
// own, and stopping the copy must never reach the source's.
std::unique_ptr<CAttr> CopyOfRecord(const CAttr& source);

// Appends copies of everything below `source` under `copyRoot`, keeping the shape and order.
// `copyRoot` must not lie below `source`.
void CopyDescendants(ItemTree& tree, ItemHandle source, ItemHandle copyRoot);

}  // namespace vexa
