// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/EditFieldMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>

#include "core/settings/EditMenu.h"
#include "gui/seam/QtText.h"
#include "gui/seam/UiSeam.h"

namespace vexa {
namespace {

bool ClipboardHasText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasText();
}

EditFieldState StateOf(const QLineEdit& field, bool canUndo) {
  EditFieldState state;
  state.canUndo = canUndo;
  state.textLength = static_cast<int>(field.text().size());
  if (field.hasSelectedText()) {
    state.selectionStart = field.selectionStart();
    state.selectionEnd = field.selectionEnd();
  } else {
    state.selectionStart = state.selectionEnd = field.cursorPosition();
  }
  state.clipboardHasText = ClipboardHasText();
  return state;
}

QString TextOf(const QLineEdit& field, TextSpan span) {
  return field.text().mid(span.start, span.end - span.start);
}

}  // namespace

int TrackEditMenu(QLineEdit& field, bool canUndo, const CCalcSum& sum, QPoint screenPoint) {
  const EditFieldState state = StateOf(field, canUndo);
  const MenuDescription menu = EditMenuDescription(state, sum, ToCp932(field.selectedText()),
                                                   ToCp932(TextOf(field, CrcSpan(state))));
  return ui::TrackMenu(&field, menu, screenPoint);
}

std::optional<int> ComputeCrc(const QLineEdit& field, CCalcSum& sum, int id) {
  const TextSpan span = CrcSpan(StateOf(field, false));
  if (sum.ComputeSum(ToCp932(TextOf(field, span)), id) != SumResult::kComputed) {
    return std::nullopt;
  }
  return span.end;
}

bool RunCommonEditCommand(QLineEdit& field, CCalcSum& sum, int id) {
  switch (id) {
    case kIdEditCut:
      field.cut();
      return true;
    case kIdEditCopy:
      field.copy();
      return true;
    case kIdEditPaste:
      field.paste();
      return true;
    case kIdEditClear:
      field.del();
      return true;
    case kIdEditSelectAll:
      field.selectAll();
      return true;
    default:
      break;
  }
  if (id < kIdSumFirst || id > kIdSumLast) return false;
  sum.ComputeSum(ToCp932(field.selectedText()), id);
  return true;
}

}  // namespace vexa
