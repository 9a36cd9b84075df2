// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shows a core menu description with Qt: one QAction per command entry, its id as the
// action's data.

#include "core/MenuDescription.h"

class QMenu;

namespace vexa {

void FillMenu(QMenu& menu, const MenuDescription& entries);

}  // namespace vexa
