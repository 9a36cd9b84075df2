// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialog templates are laid out in dialog units of their font: x·w/4 and y·h/8 pixels, where
// w is the font's average character width and h its height.

#include <QFont>
#include <QRect>
#include <QSize>

namespace vexa {

inline constexpr char kDialogFace[] = "ＭＳ Ｐゴシック";
inline constexpr char kFixedFace[] = "ＭＳ ゴシック";

// Lets the faces named by the templates resolve to the IPA fonts.
void InstallFontSubstitutions();
// The templates' font: "ＭＳ Ｐゴシック", 9 points.
QFont DialogFont();

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);

  int X(int units) const { return Scale(units, baseWidth_, 4); }
  int Y(int units) const { return Scale(units, baseHeight_, 8); }
  // Each edge is converted on its own, as a template rectangle is.
  QRect Rect(int x, int y, int width, int height) const;
  QSize Size(int width, int height) const { return {X(width), Y(height)}; }

 private:
  static int Scale(int units, int base, int divisor) {
    return (units * base + divisor / 2) / divisor;
  }

  int baseWidth_;
  int baseHeight_;
};

}  // namespace vexa
