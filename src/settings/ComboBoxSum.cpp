#include "settings/ComboBoxSum.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace vexa {

CComboBoxSum::CComboBoxSum(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setDuplicatesEnabled(true);
  // The operator's typing is sent as typed: no completion from earlier entries.
  setCompleter(nullptr);
}

void CComboBoxSum::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && !view()->isVisible()) {
    event->ignore();
    return;
  }
  QComboBox::keyPressEvent(event);
}

void CComboBoxSum::SetCommandText(const QString& text) { setEditText(text); }

}  // namespace vexa
