// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/AboutDlg.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "gui/seam/DialogUnits.h"

namespace vexa {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 Vexa"));
  setFont(DialogFont());
  const DialogUnits units(font());
  setFixedSize(units.Size(217, 55));

  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap(QStringLiteral(":/vexa/vexa.png")));
  icon->setGeometry(units.Rect(11, 17, 20, 20));
  auto* version = new QLabel(QString::fromUtf8(kVersionLine), this);
  version->setGeometry(units.Rect(40, 10, 119, 8));
  auto* maker = new QLabel(QString::fromUtf8(kMakerLine), this);
  maker->setGeometry(units.Rect(40, 25, 119, 8));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(units.Rect(178, 7, 32, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace vexa
