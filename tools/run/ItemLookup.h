// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding a tree item by what the operator calls it on the command line.

#include <string>
#include <string_view>
#include <vector>

#include "core/items/ItemTree.h"

namespace vexa::run {

// An item's descriptions from the top level down, joined with "/" (CP932).
std::string ItemPath(const ItemTree& tree, ItemHandle item);

struct LookupResult {
  ItemHandle item = nullptr;           // the one item meant, when there is exactly one
  std::vector<ItemHandle> candidates;  // the matches when ambiguous; near matches when unknown
};

// `name` (CP932) is a description, or the last parts of an item's "/"-joined path. A whole
// description that names exactly one item wins over a path reading of the same text.
LookupResult FindItem(const ItemTree& tree, std::string_view name);

}  // namespace vexa::run
