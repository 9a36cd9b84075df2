// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The images built into the program (toolbar strip, item images, window icon, drag cursors).

namespace vexa {

// Registers them; a static library's resources are not linked in unless asked for.
void LoadResources();

}  // namespace vexa
