// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>

#include "core/items/ItemTree.h"
#include "core/settings/CommSettings.h"

namespace vexa {

// Splits every item's label again and derives its bytes under the current settings. Items
// whose data cannot be derived become headings (kind 0) and keep their label. Returns true
// when such an item was found. While timers may read the items, pass the send lock: each
// replacement of derived bytes then happens under it.
bool RevalidateTree(ItemTree& tree, const CommSettings& settings, std::mutex* sendLock = nullptr);

}  // namespace vexa
