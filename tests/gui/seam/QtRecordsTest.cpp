// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/QtRecords.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "gui/seam/DialogUnits.h"

namespace vexa {
namespace {

TEST(QtRecords, FontsSurviveTheSixtyByteRecord) {
  QFont font(QString::fromUtf8(kFixedFace));
  font.setPointSize(9);
  font.setBold(true);
  font.setItalic(true);
  const LogFont record = LogFontOf(font, 96);
  EXPECT_EQ(record.height, -12) << "9 points at 96 dots per inch";
  EXPECT_EQ(record.weight, 700);
  EXPECT_EQ(record.italic, 1);
  EXPECT_EQ(record.faceName, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
  EXPECT_EQ(record.charSet, 128);

  const QFont back = FontFromLogFont(*LogFont::Unpack(record.Pack()));
  EXPECT_EQ(back.pixelSize(), 12);
  EXPECT_TRUE(back.bold());
  EXPECT_TRUE(back.italic());
  EXPECT_FALSE(back.underline());
  EXPECT_EQ(QFontInfo(back).family(), "IPAGothic") << "the Windows face name still resolves";

  LogFont plain;
  plain.faceName = "IPAPGothic";
  const QFont defaults = FontFromLogFont(plain);
  EXPECT_EQ(defaults.weight(), QFont::Normal) << "weight 0 means the normal weight";
}

TEST(QtRecords, PlacementsMapToGeometryAndShowState) {
  QWidget window;
  window.setGeometry(40, 50, 300, 200);
  WindowPlacement placement = PlacementOf(window);
  EXPECT_EQ(placement.showCmd, kShowNormal);
  EXPECT_EQ(placement.length, 44);
  EXPECT_EQ(placement.normalLeft, 40);
  EXPECT_EQ(placement.normalTop, 50);
  EXPECT_EQ(placement.normalRight, 340);
  EXPECT_EQ(placement.normalBottom, 250);

  QWidget restored;
  placement.showCmd = kShowMaximized;
  ApplyPlacement(restored, placement);
  EXPECT_EQ(restored.geometry(), QRect(40, 50, 300, 200));
  EXPECT_TRUE(restored.windowState() & Qt::WindowMaximized);
  EXPECT_EQ(PlacementOf(restored).showCmd, kShowMaximized);
}

TEST(QtRecords, APlacementOffEveryScreenComesBackOntoOne) {
  WindowPlacement placement;
  placement.normalLeft = 90000;
  placement.normalTop = 90000;
  placement.normalRight = 90300;
  placement.normalBottom = 90200;
  QWidget window;
  ApplyPlacement(window, placement);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.intersects(window.geometry()));
  EXPECT_EQ(window.size(), QSize(300, 200));

  placement.normalRight = placement.normalLeft - 5;  // a broken rectangle is not applied
  QWidget untouched;
  untouched.setGeometry(1, 2, 30, 40);
  ApplyPlacement(untouched, placement);
  EXPECT_EQ(untouched.geometry(), QRect(1, 2, 30, 40));
}

}  // namespace
}  // namespace vexa
