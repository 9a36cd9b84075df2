// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of the command tree's context menu and of the menu that ends a right-button drag.

#include <cstdint>

#include "core/MenuDescription.h"

namespace vexa {

// Insert rows always; delete rows and the item's own rows only on an item; the default-set
// row only while that command is enabled. A heading (kind 0) offers no change of kind.
MenuDescription ItemMenuDescription(bool onItem, bool defaultSetEnabled, std::int32_t kind);

// Copy here, move here, cancel.
MenuDescription DropMenuDescription();

}  // namespace vexa
