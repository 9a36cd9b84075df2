// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hidden owner of the command list window, so that window keeps its own place in the
// stacking order and is not minimised with the main window. Never shown.

#include <QDialog>

namespace vexa {

class CDummyDlg : public QDialog {
  Q_OBJECT

 public:
  CDummyDlg();
};

}  // namespace vexa
