// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/PlainGlyphs.h"

#include <QTextLayout>
#include <QtEndian>

namespace vexa {
namespace {

// Every character followed by every character: whatever a font does to a pair shows here.
QString EveryPair(const QString& characters) {
  QString pairs;
  pairs.reserve(2 * characters.size() * characters.size());
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

// Substitutions the text engine makes unasked may reach beyond a pair ("ffi"): a font that
// has any is shaped.
bool SubstitutesUnasked(const QRawFont& font) {
  const QByteArray table = font.fontTable("GSUB");
  if (table.isEmpty()) return false;
  const auto word = [&](qsizetype at) -> qsizetype {
    if (at < 0 || at + 2 > table.size()) return -1;
    return qFromBigEndian<quint16>(table.constData() + at);
  };
  const qsizetype features = word(6);
  const qsizetype count = word(features);
  if (features < 0 || count < 0 || features + 2 + 6 * count > table.size()) return true;
  for (qsizetype i = 0; i < count; ++i) {
    const QByteArray tag = table.mid(features + 2 + 6 * i, 4);
    for (const char* unasked : {"liga", "clig", "calt", "rlig", "rclt"}) {
      if (tag == unasked) return true;
    }
  }
  return false;
}

}  // namespace

void PlainGlyphs::Learn(const QFont& font) {
  font_ = font;
  learned_ = true;
  glyphs_ = {};
  // Decorations are drawn by the text engine's own rules.
  plain_ = !font.underline() && !font.overline() && !font.strikeOut() && !characters_.isEmpty() &&
           LearnFromPairs(font) && !SubstitutesUnasked(rawFont_);
}

// Plain when the pairs come out as one run of one glyph per character, each character always
// the same glyph moved on by the same advance.
bool PlainGlyphs::LearnFromPairs(const QFont& font) {
  const QString pairs = EveryPair(characters_);
  const QList<QGlyphRun> runs = Shaped(pairs, font);
  if (runs.size() != 1) return false;
  const QList<quint32> indexes = runs[0].glyphIndexes();
  const QList<QPointF> positions = runs[0].positions();
  if (indexes.size() != pairs.size() || positions.size() != pairs.size() || positions[0].x() != 0) {
    return false;
  }
  for (qsizetype i = 0; i + 1 < pairs.size(); ++i) {
    if (pairs[i].unicode() >= glyphs_.size() || positions[i].y() != positions[0].y()) return false;
    Glyph& glyph = glyphs_[pairs[i].unicode()];
    const qreal advance = positions[i + 1].x() - positions[i].x();
    if (glyph.known && (glyph.index != indexes[i] || glyph.advance != advance)) return false;
    glyph = {indexes[i], advance, true};
  }
  // The last character came first in a pair before.
  const Glyph& last = glyphs_[pairs.back().unicode()];
  if (!last.known || last.index != indexes.back() || positions.back().y() != positions[0].y()) {
    return false;
  }
  rawFont_ = runs[0].rawFont();
  return true;
}

QGlyphRun PlainGlyphs::Compose(const QPainter& painter, QStringView text) {
  if (painter.transform().type() > QTransform::TxTranslate) return {};
  if (!learned_ || painter.font() != font_) Learn(painter.font());
  if (!plain_) return {};
  QList<quint32> indexes(text.size());
  QList<QPointF> positions(text.size());
  qreal x = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c >= glyphs_.size() || !glyphs_[c].known) return {};
    indexes[i] = glyphs_[c].index;
    positions[i] = QPointF(x, 0);
    x += glyphs_[c].advance;
  }
  QGlyphRun run;
  run.setRawFont(rawFont_);
  run.setGlyphIndexes(indexes);
  run.setPositions(positions);
  return run;
}

}  // namespace vexa
