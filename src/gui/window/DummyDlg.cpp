// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/DummyDlg.h"

#include <QPushButton>

#include "gui/seam/DialogUnits.h"

namespace vexa {

CDummyDlg::CDummyDlg() : QDialog(nullptr) {
  setWindowTitle(QStringLiteral("ﾀﾞｲｱﾛｸﾞ"));
  setFont(DialogFont());
  const DialogUnits units(font());
  resize(units.Size(186, 95));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(units.Rect(129, 7, 50, 14));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  cancel->setGeometry(units.Rect(129, 24, 50, 14));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace vexa
