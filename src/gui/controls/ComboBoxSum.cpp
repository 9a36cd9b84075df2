// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/ComboBoxSum.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>

#include "core/settings/EditMenu.h"
#include "gui/controls/EditFieldMenu.h"

namespace vexa {

CComboBoxSum::CComboBoxSum(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setDuplicatesEnabled(true);
  // The operator's typing is sent as typed: no completion from earlier entries.
  setCompleter(nullptr);
  // The box's own menu comes on the release of the right button, not Qt's on the press.
  lineEdit()->setContextMenuPolicy(Qt::PreventContextMenu);
  lineEdit()->installEventFilter(this);
  connect(lineEdit(), &QLineEdit::textEdited, this, &CComboBoxSum::OnTextEdited);
}

void CComboBoxSum::OnTextEdited() {
  previousText_ = currentText_;
  currentText_ = currentText();
  undoAvailable_ = 1;
}

bool CComboBoxSum::SelectFromList() {
  previousText_ = currentText_;
  currentText_ = currentIndex() >= 0 ? itemText(currentIndex()) : currentText();
  const bool differs = currentText_ != previousText_;
  if (differs) undoAvailable_ = 1;
  return differs;
}

void CComboBoxSum::SetCommandText(const QString& text) {
  currentText_ = text;
  if (currentText() != text) {
    previousText_ = currentText();
    undoAvailable_ = 1;
  }
  setEditText(currentText_);
}

template <typename Change>
void CComboBoxSum::ChangeListKeepingEditField(Change&& change) {
  const QString shown = lineEdit()->text();
  const Selection selection = EditSelection();
  change();
  if (currentIndex() >= 0 && itemText(currentIndex()) != shown) setCurrentIndex(-1);
  if (lineEdit()->text() == shown) return;
  lineEdit()->setText(shown);
  Select(selection);
}

void CComboBoxSum::InsertEntry(int index, const QString& text, int value) {
  ChangeListKeepingEditField([&] { insertItem(index, text, value); });
}

void CComboBoxSum::RemoveEntry(int index) {
  ChangeListKeepingEditField([&] { removeItem(index); });
}

CComboBoxSum::Selection CComboBoxSum::EditSelection() const {
  const QLineEdit* edit = lineEdit();
  if (!edit->hasSelectedText()) return {edit->cursorPosition(), edit->cursorPosition()};
  return {edit->selectionStart(), edit->selectionEnd()};
}

void CComboBoxSum::Select(Selection selection) {
  const int length = static_cast<int>(lineEdit()->text().size());
  const int start = std::clamp(selection.start, 0, length);
  lineEdit()->setSelection(start, std::clamp(selection.end, start, length) - start);
}

void CComboBoxSum::Undo() {
  currentText_ = previousText_;
  previousSelection_ = savedSelection_;
  previousText_ = currentText();
  savedSelection_ = EditSelection();
  setEditText(currentText_);
  Select(previousSelection_);
}

void CComboBoxSum::PasteSum() {
  PutSumOver(EditSelection());
}

void CComboBoxSum::AppendCrc(int id) {
  if (const std::optional<int> after = ComputeCrc(*lineEdit(), sum_, id)) {
    PutSumOver({*after, *after});
  }
}

void CComboBoxSum::PutSumOver(Selection selection) {
  const QString shown = currentText();
  const QString sum = QString::fromStdString(sum_.SumText());
  SetCommandText(shown.left(selection.start) + sum + shown.mid(selection.end));
  Select({selection.start, selection.start + static_cast<int>(sum.size())});
}

void CComboBoxSum::ShowEditMenu(QPoint screenPoint) {
  lineEdit()->setFocus();
  RunEditCommand(TrackEditMenu(*lineEdit(), undoAvailable_ != 0, sum_, screenPoint));
}

void CComboBoxSum::RunEditCommand(int id) {
  if (id == kIdEditUndo) {
    Undo();
  } else if (id == kIdPasteSum) {
    PasteSum();
  } else if (IsCrcCommand(id)) {
    AppendCrc(id);
  } else {
    RunCommonEditCommand(*lineEdit(), sum_, id);
  }
}

bool CComboBoxSum::eventFilter(QObject* watched, QEvent* event) {
  if (watched != lineEdit()) return QComboBox::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseButtonPress:
      // Where the mouse cursor is set over the box, before a click changes the selection.
      savedSelection_ = EditSelection();
      break;
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::RightButton) break;
      ShowEditMenu(mouse->globalPosition().toPoint());
      return true;
    }
    default:
      break;
  }
  return false;
}

void CComboBoxSum::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && !view()->isVisible()) {
    event->ignore();
    return;
  }
  QComboBox::keyPressEvent(event);
}

}  // namespace vexa
