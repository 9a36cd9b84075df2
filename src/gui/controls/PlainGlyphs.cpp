// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/PlainGlyphs.h"

#include <QTextLayout>

namespace vexa {
namespace {

// Every character followed by every character: whatever a font does to a pair shows here.
QString EveryPair(const QString& characters) {
  QString pairs;
  for (QChar first : characters) {
    for (QChar second : characters) {
      pairs += first;
      pairs += second;
    }
  }
  return pairs;
}

QList<QGlyphRun> Shaped(const QString& text, const QFont& font) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  return layout.glyphRuns();
}

}  // namespace

// Plain when the pairs come out as one run of one glyph per character, each character always
// the same glyph moved on by the same advance.
void PlainGlyphs::Learn(const QFont& font) {
  font_ = font;
  learned_ = true;
  plain_ = false;
  glyphs_ = {};
  // Decorations are drawn by the text engine's own rules.
  if (font.underline() || font.overline() || font.strikeOut() || characters_.isEmpty()) return;
  const QString pairs = EveryPair(characters_);
  const QList<QGlyphRun> runs = Shaped(pairs, font);
  if (runs.size() != 1) return;
  const QList<quint32> indexes = runs[0].glyphIndexes();
  const QList<QPointF> positions = runs[0].positions();
  if (indexes.size() != pairs.size() || positions.size() != pairs.size() || positions[0].x() != 0) {
    return;
  }
  for (qsizetype i = 0; i + 1 < pairs.size(); ++i) {
    if (pairs[i].unicode() >= glyphs_.size() || positions[i].y() != positions[0].y()) return;
    Glyph& glyph = glyphs_[pairs[i].unicode()];
    const qreal advance = positions[i + 1].x() - positions[i].x();
    if (glyph.known && (glyph.index != indexes[i] || glyph.advance != advance)) return;
    glyph = {indexes[i], advance, true};
  }
  const Glyph& last = glyphs_[pairs.back().unicode()];
  if (!last.known || last.index != indexes.back()) return;
  rawFont_ = runs[0].rawFont();
  baseline_ = positions[0].y();
  plain_ = true;
}

QGlyphRun PlainGlyphs::Compose(const QFont& font, QStringView text) {
  if (!learned_ || font != font_) Learn(font);
  if (!plain_) return {};
  QList<quint32> indexes(text.size());
  QList<QPointF> positions(text.size());
  qreal x = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c >= glyphs_.size() || !glyphs_[c].known) return {};
    indexes[i] = glyphs_[c].index;
    positions[i] = QPointF(x, baseline_);
    x += glyphs_[c].advance;
  }
  QGlyphRun run;
  run.setRawFont(rawFont_);
  run.setGlyphIndexes(indexes);
  run.setPositions(positions);
  return run;
}

}  // namespace vexa
