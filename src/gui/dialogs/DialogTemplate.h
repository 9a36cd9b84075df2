// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds a dialog from its template: the template's font and size, and controls placed at
// their positions in dialog units. OK (id 1) accepts and ｷｬﾝｾﾙ (id 2) rejects.

#include <QRect>

#include "gui/seam/DialogUnits.h"

class QComboBox;
class QDialog;
class QLabel;
class QPushButton;

namespace vexa {

class DialogTemplate {
 public:
  // Gives `dialog` the templates' font and a fixed size of `width` × `height` units.
  DialogTemplate(QDialog& dialog, int width, int height);

  // Places `control` (a child of the dialog) at x, y, width, height units.
  template <typename Control>
  Control* Place(Control* control, int x, int y, int width, int height) const {
    control->setGeometry(units_.Rect(x, y, width, height));
    return control;
  }
  QLabel* Static(const char* utf8Text, int x, int y, int width, int height) const;
  // A combo box is as high as its own closed field; `width` sets only its width.
  QComboBox* Combo(bool editable, int x, int y, int width) const;
  // The same for a combo box of a class of its own, created as a child of the dialog.
  QComboBox* Combo(QComboBox* combo, bool editable, int x, int y, int width) const;
  QPushButton* OkButton(const char* utf8Text, int x, int y, int width, int height) const;
  QPushButton* CancelButton(int x, int y, int width, int height) const;

 private:
  QPushButton* Button(const char* utf8Text, int x, int y, int width, int height) const;

  QDialog& dialog_;
  DialogUnits units_;
};

}  // namespace vexa
