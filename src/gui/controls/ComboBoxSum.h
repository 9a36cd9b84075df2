// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command box: an editable drop-down list of the texts sent, newest first. It keeps the
// text it is known to show and the one before, so that its undo brings back the previous
// text and a second undo the one after (undo and redo alternate), and it offers the edit
// menu with the checksum entries on a right-button release over its edit part.

#include <QComboBox>
#include <QString>

#include "core/codec/CalcSum.h"

namespace vexa {

class CComboBoxSum : public QComboBox {
  Q_OBJECT

 public:
  struct Selection {
    int start = 0;
    int end = 0;
    bool operator==(const Selection&) const = default;
  };

  explicit CComboBoxSum(QWidget* parent = nullptr);

  // Puts a text into the box for the program; the shown text, when different, becomes the
  // undo text.
  void SetCommandText(const QString& text);
  // The operator picked a list entry (already shown): true when it differs from what the
  // box showed before.
  bool SelectFromList();
  // List changes that leave the edit field, its selection and the undo texts as they were
  // (Qt would show an entry that becomes current); no entry is current afterwards unless it
  // is the text shown.
  void InsertEntry(int index, const QString& text, int value);
  void RemoveEntry(int index);

  void ShowEditMenu(QPoint screenPoint);
  // One entry of the edit menu, by its command id.
  void RunEditCommand(int id);
  void Undo();
  // Replaces the selection with the computed sum through SetCommandText, and selects it.
  void PasteSum();
  // Inserts the CRC's digits after the text it covers, the same way, and selects them.
  void AppendCrc(int id);

  const QString& CurrentText() const { return currentText_; }
  const QString& PreviousText() const { return previousText_; }
  bool UndoAvailable() const { return undoAvailable_ != 0; }
  Selection SavedSelection() const { return savedSelection_; }
  const CCalcSum& Sum() const { return sum_; }

 protected:
  // Enter belongs to the dialog (it sends); the box itself never adds its text.
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Selection EditSelection() const;
  void Select(Selection selection);
  void PutSumOver(Selection selection);
  template <typename Change>
  void ChangeListKeepingEditField(Change&& change);
  void OnTextEdited();

  CCalcSum sum_;
  QString currentText_;
  QString previousText_;
  Selection previousSelection_;
  Selection savedSelection_;
  int undoAvailable_ = 0;
};

}  // namespace vexa
