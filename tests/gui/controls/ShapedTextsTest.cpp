// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/ShapedTexts.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "gui/seam/DialogUnits.h"

namespace vexa {
namespace {

QImage Blank() {
  QImage image(240, 40, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  return image;
}

// Kept or not, evicted and made again, or kept across a change of font: every text must come
// out as QPainter::drawText draws it.
TEST(ShapedTexts, DrawAsDrawTextDoes) {
  QFont large = DialogFont();
  large.setPointSizeF(DialogFont().pointSizeF() * 2);
  const struct {
    QFont font;
    std::int64_t key;
    QString text;
  } draws[] = {
      {DialogFont(), 1, "12:34:56.789"}, {DialogFont(), 2, "<b>not markup</b>"},
      {DialogFont(), 1, "12:34:56.789"},  // kept
      {DialogFont(), 3, "受信 AT+CSQ"},   // the capacity is two: key 1 goes
      {DialogFont(), 1, "12:34:56.789"},  // made again
      {large, 1, "12:34:56.789"},         // the same key in another font
      {DialogFont(), 3, "受信 AT+CSQ"},
  };
  ShapedTexts texts(2);
  for (const auto& draw : draws) {
    QImage cached = Blank();
    QImage direct = Blank();
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
    EXPECT_EQ(cached, direct) << draw.text.toStdString() << " in " << draw.font.pointSizeF();
  }
}

}  // namespace
}  // namespace vexa
