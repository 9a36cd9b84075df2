// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The find bar under the answer list: the text to find, previous and next, match case, and
// HEX search while the list shows HEX. It only asks; the answer list finds.

#include <QWidget>

#include "gui/controls/AnswerList.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace vexa {

class CFindBar : public QWidget {
  Q_OBJECT

 public:
  enum class Outcome { kFound, kNotFound, kNotHex };

  explicit CFindBar(QWidget* parent = nullptr);

  FindQuery Query() const;
  // HEX search is offered only while HEX display is on.
  void SetHexAvailable(bool available);
  void ShowOutcome(Outcome outcome);
  // Puts the focus into the text field, its text selected.
  void FocusField();

  QLineEdit& Field() const { return *field_; }
  QCheckBox& MatchCase() const { return *matchCase_; }
  QCheckBox& Hex() const { return *hex_; }
  QString OutcomeText() const;

  void setVisible(bool visible) override;

 signals:
  void findNext();        // Enter, F3, ▼
  void findPrevious();    // Shift+Enter, Shift+F3, ▲
  void closeRequested();  // Escape, ✕

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void UpdateMatchCase();

  QLineEdit* field_;
  QToolButton* previous_;
  QToolButton* next_;
  QToolButton* close_;
  QCheckBox* matchCase_;
  QCheckBox* hex_;
  QLabel* outcome_;
};

}  // namespace vexa
