// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The right-button menu of the editing fields (item editor, item detail fields, command box):
// the usual editing entries, then the checksum entries.

#include <string_view>

#include "core/MenuDescription.h"
#include "core/codec/CalcSum.h"

namespace vexa {

// The standard edit command ids, shared by every editing field.
enum EditCommand : int {
  kIdEditClear = 57632,
  kIdEditCopy = 57634,
  kIdEditCut = 57635,
  kIdEditPaste = 57637,
  kIdEditSelectAll = 57642,
  kIdEditUndo = 57643,
};

// What the menu depends on, read from the field as it is opened. Positions and the length
// count the same units (characters of the shown text).
struct EditFieldState {
  bool canUndo = false;
  int selectionStart = 0;
  int selectionEnd = 0;
  int textLength = 0;
  bool clipboardHasText = false;
};

// Where a CRC entry reads its bytes, and after which its digits go: the selection, or the
// whole text when nothing is selected.
struct TextSpan {
  int start = 0;
  int end = 0;
};
TextSpan CrcSpan(const EditFieldState& field);

// `coveredText` is the text of CrcSpan.
MenuDescription EditMenuDescription(const EditFieldState& field, const CCalcSum& sum,
                                    std::string_view selectedText, std::string_view coveredText);

}  // namespace vexa
