// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The stored window placement and font records, taken from and given to Qt windows and fonts.

#include <QFont>

#include "core/settings/Preferences.h"

class QWidget;

namespace vexa {

// The placement of a top-level window: its show state and its restored rectangle (without the
// window manager's frame, which is known only once the window is mapped).
WindowPlacement PlacementOf(const QWidget& window);
// For a window not shown yet: the restored rectangle, moved onto a screen when it lies on none
// (a monitor may have gone since), and the show state the window will be shown in.
void ApplyPlacement(QWidget& window, const WindowPlacement& placement);

// `dpiY` converts points to the record's pixel height.
LogFont LogFontOf(const QFont& font, int dpiY);
QFont FontFromLogFont(const LogFont& record);

}  // namespace vexa
