// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/CmdEditBox.h"

#include <QContextMenuEvent>

#include "core/settings/EditMenu.h"
#include "gui/controls/EditFieldMenu.h"

namespace vexa {

CCmdEditBox::CCmdEditBox(QWidget* parent) : QLineEdit(parent) {}

void CCmdEditBox::ResetText(const QString& text) {
  setText(text);  // a new text starts a new undo history
  sum_.ClearSum();
}

void CCmdEditBox::ShowEditMenu(QPoint screenPoint) {
  setFocus();
  RunEditCommand(TrackEditMenu(*this, isUndoAvailable(), sum_, screenPoint));
}

void CCmdEditBox::RunEditCommand(int id) {
  if (id == kIdEditUndo) {
    undo();
  } else if (id == kIdPasteSum) {
    insert(QString::fromStdString(sum_.SumText()));  // replaces the selection, undoably
  } else if (IsCrcCommand(id)) {
    AppendCrc(id);
  } else {
    RunCommonEditCommand(*this, sum_, id);
  }
}

void CCmdEditBox::AppendCrc(int id) {
  const std::optional<int> after = ComputeCrc(*this, sum_, id);
  if (!after) return;
  const QString digits = QString::fromStdString(sum_.SumText());
  setCursorPosition(*after);
  insert(digits);
  setSelection(*after, static_cast<int>(digits.size()));
}

void CCmdEditBox::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  ShowEditMenu(event->globalPos());
}

void CCmdEditBox::showEvent(QShowEvent* event) {
  QLineEdit::showEvent(event);
  sum_.ClearSum();
}

}  // namespace vexa
