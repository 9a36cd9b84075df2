// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/DialogUnits.h"

#include <QFontMetrics>

namespace vexa {

void InstallFontSubstitutions() {
  QFont::insertSubstitution(QString::fromUtf8(kDialogFace), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QString::fromUtf8(kFixedFace), QStringLiteral("IPAGothic"));
}

QFont DialogFont() {
  QFont font(QString::fromUtf8(kDialogFace));
  font.setPointSize(9);
  return font;
}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseWidth_ = (letters / 26 + 1) / 2;
  baseHeight_ = metrics.height();
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  const int left = X(x);
  const int top = Y(y);
  return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

}  // namespace vexa
