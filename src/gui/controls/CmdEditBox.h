// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A one-line edit field whose right-button menu adds the checksum entries to the usual
// editing entries. The item editor's field, and the data fields of the item detail dialog.

#include <QLineEdit>

#include "core/codec/CalcSum.h"

namespace vexa {

class CCmdEditBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit CCmdEditBox(QWidget* parent = nullptr);

  // Shows `text` with no undo history and no computed sum to paste.
  void ResetText(const QString& text);
  void ShowEditMenu(QPoint screenPoint);
  // One entry of the edit menu, by its command id.
  void RunEditCommand(int id);
  const CCalcSum& Sum() const { return sum_; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Inserts the CRC's digits after the text it covers, undoably, and selects them.
  void AppendCrc(int id);

  CCalcSum sum_;
};

}  // namespace vexa
