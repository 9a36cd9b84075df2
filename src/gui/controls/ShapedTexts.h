// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts drawn again and again, shaped once. QPainter::drawText works out the glyphs and their
// places anew on every call, which costs more than drawing them. The answer list draws the
// same arrival time on many rows (lines that arrive within one millisecond) and each row more
// than once while lines arrive below it.

#include <QFont>
#include <QGlyphRun>
#include <QPainter>
#include <QStaticText>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gui/controls/PlainGlyphs.h"

namespace vexa {

class ShapedTexts {
 public:
  // Texts made only of `plainCharacters` are put together from their glyphs where the font
  // allows it (PlainGlyphs), and shaped otherwise.
  explicit ShapedTexts(std::size_t capacity, QString plainCharacters = {})
      : capacity_(capacity), plain_(std::move(plainCharacters)) {}

  // Draws the text known by `key` with the painter's font and pen, the left end of its
  // baseline at (x, baseline), as QPainter::drawText would. `makeText()` gives the text when
  // it is not kept; the oldest kept text makes room for it.
  template <typename MakeText>
  void Draw(QPainter& painter, int x, int baseline, std::int64_t key, MakeText makeText) {
    UseFont(painter.font());
    const Entry* entry = Kept(key);
    if (entry == nullptr) entry = &Keep(painter, key, makeText());
    if (entry->glyphs.isEmpty()) {
      painter.drawStaticText(QPointF(x, baseline - ascent_), entry->text);  // by its top left
    } else {
      painter.drawGlyphRun(QPointF(x, baseline), entry->glyphs);
    }
  }

 private:
  struct Entry {
    std::int64_t key = 0;
    QGlyphRun glyphs;  // put together; else shaped:
    QStaticText text;
  };
  void UseFont(const QFont& font);
  const Entry* Kept(std::int64_t key) const;
  const Entry& Keep(const QPainter& painter, std::int64_t key, const QString& text);

  std::size_t capacity_;
  PlainGlyphs plain_;
  QFont font_;
  qreal ascent_ = 0;  // exact: drawText puts the baseline where it is told
  std::vector<Entry> entries_;
  std::size_t next_ = 0;  // the oldest entry once all are in use
};

}  // namespace vexa
