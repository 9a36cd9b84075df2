// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Characters that a font shapes plainly: each one glyph of its own, one advance after the
// other, whatever stands beside it (no kerning, no ligature, no fallback font). A text made of
// them is then put together from a table. Shaping runs the text engine's whole path, cold where
// the answer list draws: there it cost more than drawing the glyphs.

#include <QFont>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QString>
#include <QStringView>
#include <array>
#include <utility>

namespace vexa {

class PlainGlyphs {
 public:
  // `characters`: Latin-1 only.
  explicit PlainGlyphs(QString characters) : characters_(std::move(characters)) {}

  // The glyphs of `text` in the painter's font, placed as QPainter::drawText places them, the
  // baseline at 0. Empty when the font does not shape the characters plainly, `text` has
  // another, or the painter does more than move what it draws.
  QGlyphRun Compose(const QPainter& painter, QStringView text);

 private:
  struct Glyph {
    quint32 index = 0;
    qreal advance = 0;
    bool known = false;
  };
  void Learn(const QFont& font);
  bool LearnFromPairs(const QFont& font);

  QString characters_;
  QFont font_;
  bool learned_ = false;
  bool plain_ = false;  // for font_
  QRawFont rawFont_;
  std::array<Glyph, 256> glyphs_{};
};

}  // namespace vexa
