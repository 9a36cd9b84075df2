// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The edit menu of a one-line field, shared by the item editor's field and the command box:
// reading the field's state for the menu, and the commands that act on any field alike.

#include <QPoint>
#include <optional>

#include "core/codec/CalcSum.h"

class QLineEdit;

namespace vexa {

// Shows the edit menu for `field` at a screen point; the chosen command id, or 0.
int TrackEditMenu(QLineEdit& field, bool canUndo, const CCalcSum& sum, QPoint screenPoint);

// Cut, copy, paste, delete, select all, and the checksum entries (computed over the selected
// text). False for any other id: undo and pasting the sum differ between the fields.
bool RunCommonEditCommand(QLineEdit& field, CCalcSum& sum, int id);

// A CRC entry: computes the CRC of the selection, or of the whole text when nothing is
// selected, into `sum`. The position after that text, where its digits go; nullopt when the
// text is not HEX of at least one byte.
std::optional<int> ComputeCrc(const QLineEdit& field, CCalcSum& sum, int id);

}  // namespace vexa
