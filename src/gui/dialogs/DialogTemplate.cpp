// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/DialogTemplate.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace vexa {
namespace {

QFont PreparedFont(QDialog& dialog) {
  dialog.setFont(DialogFont());
  return dialog.font();
}

}  // namespace

DialogTemplate::DialogTemplate(QDialog& dialog, int width, int height)
    : dialog_(dialog), units_(PreparedFont(dialog)) {
  dialog.setFixedSize(units_.Size(width, height));
}

QLabel* DialogTemplate::Static(const char* utf8Text, int x, int y, int width, int height) const {
  return Place(new QLabel(QString::fromUtf8(utf8Text), &dialog_), x, y, width, height);
}

QComboBox* DialogTemplate::Combo(bool editable, int x, int y, int width) const {
  return Combo(new QComboBox(&dialog_), editable, x, y, width);
}

QComboBox* DialogTemplate::Combo(QComboBox* combo, bool editable, int x, int y, int width) const {
  combo->setEditable(editable);
  const QRect place = units_.Rect(x, y, width, 0);
  combo->setGeometry(place.x(), place.y(), place.width(), combo->sizeHint().height());
  return combo;
}

QPushButton* DialogTemplate::Button(const char* utf8Text, int x, int y, int width,
                                    int height) const {
  auto* button = Place(new QPushButton(QString::fromUtf8(utf8Text), &dialog_), x, y, width, height);
  button->setAutoDefault(false);
  return button;
}

QPushButton* DialogTemplate::OkButton(const char* utf8Text, int x, int y, int width,
                                      int height) const {
  QPushButton* button = Button(utf8Text, x, y, width, height);
  button->setDefault(true);
  QObject::connect(button, &QPushButton::clicked, &dialog_, &QDialog::accept);
  return button;
}

QPushButton* DialogTemplate::CancelButton(int x, int y, int width, int height) const {
  QPushButton* button = Button("ｷｬﾝｾﾙ", x, y, width, height);
  QObject::connect(button, &QPushButton::clicked, &dialog_, &QDialog::reject);
  return button;
}

}  // namespace vexa
