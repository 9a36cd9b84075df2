#pragma once
// The command box: an editable drop-down list of the texts sent, newest first.

#include <QComboBox>

namespace vexa {

class CComboBoxSum : public QComboBox {
  Q_OBJECT

 public:
  explicit CComboBoxSum(QWidget* parent = nullptr);

  // Puts a text into the box for the program (not typed by the operator).
  void SetCommandText(const QString& text);

 protected:
  // Enter belongs to the dialog (it sends); the box itself never adds its text.
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vexa
