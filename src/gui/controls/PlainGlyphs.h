// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A few characters that a font shapes plainly: each one glyph of its own, one advance after the
// other, whatever stands beside it (no kerning, no ligature, no fallback font). A text made of
// them is then put together from a table. Shaping it costs the text engine's whole path, which
// runs cold where the answer list draws a new time of day: 50-100 us against well under one.

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>
#include <QStringView>
#include <array>

namespace vexa {

class PlainGlyphs {
 public:
  // `characters`: Latin-1 only.
  explicit PlainGlyphs(QString characters) : characters_(std::move(characters)) {}

  // The glyphs of `text` in `font`, placed as the text engine places them in a line whose top is
  // at 0; empty when the font does not shape the characters plainly or `text` has another.
  QGlyphRun Compose(const QFont& font, QStringView text);

 private:
  struct Glyph {
    quint32 index = 0;
    qreal advance = 0;
    bool known = false;
  };
  void Learn(const QFont& font);

  QString characters_;
  QFont font_;
  bool learned_ = false;
  bool plain_ = false;  // for font_
  QRawFont rawFont_;
  qreal baseline_ = 0;
  std::array<Glyph, 256> glyphs_{};
};

}  // namespace vexa
