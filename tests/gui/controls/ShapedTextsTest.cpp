// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/ShapedTexts.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "gui/controls/PlainGlyphs.h"
#include "gui/seam/DialogUnits.h"

namespace vexa {
namespace {

const QString kTimeCharacters = QStringLiteral("0123456789:.");

QFont FixedFont() {
  QFont fixed = DialogFont();
  fixed.setFamily(QString::fromUtf8(kFixedFace));
  return fixed;
}

QFont Underlined() {
  QFont font = DialogFont();
  font.setUnderline(true);
  return font;
}

QImage Blank(qreal pixelRatio) {
  QImage image(480, 80, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(pixelRatio);
  image.fill(Qt::white);
  return image;
}

// Kept or not, evicted and made again, or kept across a change of font, on a screen of one or
// two pixels to the point, shaped or put together: every text must come out as
// QPainter::drawText draws it.
TEST(ShapedTexts, DrawAsDrawTextDoes) {
  QFont large = DialogFont();
  large.setPointSizeF(DialogFont().pointSizeF() * 2);
  const struct {
    QFont font;
    std::int64_t key;
    QString text;
    qreal pixelRatio = 1;
  } draws[] = {
      {DialogFont(), 1, "12:34:56.789"}, {DialogFont(), 2, "<b>not markup</b>"},
      {DialogFont(), 1, "12:34:56.789"},  // kept
      {DialogFont(), 3, "受信 AT+CSQ"},   // the capacity is two: key 1 goes
      {DialogFont(), 1, "12:34:56.789"},  // made again
      {large, 1, "12:34:56.789"},         // the same key in another font
      {DialogFont(), 3, "受信 AT+CSQ"},  {DialogFont(), 1, "12:34:56.789", 2},
      {DialogFont(), 4, "→ ", 2},        {FixedFont(), 1, "23:59:59.999"},
  };
  for (const QString& plain : {QString(), kTimeCharacters}) {
    ShapedTexts texts(2, plain);
    for (const auto& draw : draws) {
      QImage cached = Blank(draw.pixelRatio);
      QImage direct = Blank(draw.pixelRatio);
      for (QImage* image : {&cached, &direct}) {
        QPainter painter(image);
        painter.setFont(draw.font);
        painter.setPen(QColor(0x1a, 0x5f, 0xb4));
        if (image == &cached) {
          texts.Draw(painter, 7, 30, draw.key, [&] { return draw.text; });
        } else {
          painter.drawText(7, 30, draw.text);
        }
      }
      EXPECT_EQ(cached, direct) << draw.text.toStdString() << " in " << draw.font.pointSizeF()
                                << " pt at " << draw.pixelRatio << " pixels to the point, "
                                << plain.size() << " plain characters";
    }
  }
}

QFont Family(const char* family) {
  QFont font = DialogFont();
  font.setFamily(QString::fromLatin1(family));
  return font;
}

// Put together where the font allows it, and then as QPainter::drawText draws the text.
TEST(PlainGlyphs, ComposeTextsOfTheirCharactersInFontsThatShapeThemPlainly) {
  QString printable;
  for (char16_t c = 0x20; c < 0x7F; ++c) printable += QChar(c);
  const struct {
    QFont font;
    QString text;
    bool composed;
  } cases[] = {
      {DialogFont(), "+CSQ: 23,99 {OK} ~`'\"fi ffi", true},
      {FixedFont(), printable, true},
      {DialogFont(), "受信 OK", false},          // a character of another set
      {Underlined(), "OK", false},               // decorations are the text engine's
      {Family("DejaVu Sans"), "office", false},  // ligatures reach beyond a pair
      {Family("DejaVu Sans Mono"), "office", false},
  };
  PlainGlyphs glyphs(printable);
  for (const auto& c : cases) {
    QImage composed = Blank(1);
    QImage direct = Blank(1);
    QPainter painter(&composed);
    painter.setFont(c.font);
    const QGlyphRun run = glyphs.Compose(painter, c.text);
    EXPECT_EQ(run.glyphIndexes().size(), c.composed ? c.text.size() : 0) << c.text.toStdString();
    if (run.isEmpty()) continue;
    painter.drawGlyphRun(QPointF(5, 30), run);
    painter.end();
    QPainter reference(&direct);
    reference.setFont(c.font);
    reference.drawText(5, 30, c.text);
    EXPECT_EQ(composed, direct) << c.text.toStdString();
  }
}

}  // namespace
}  // namespace vexa
