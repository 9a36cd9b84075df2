// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/items/ItemTree.h"

namespace vexa::run {

// One line per item, tab-separated: level, kind (none/text/hex), period in ms or "-",
// automatic answer ("RECEIVE after DELAY ms") or "-", label. UTF-8.
std::string DumpTree(const ItemTree& tree);

}  // namespace vexa::run
