// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/QtRecords.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "gui/seam/QtText.h"

namespace vexa {
namespace {

constexpr std::uint8_t kShiftJisCharSet = 128;
constexpr std::uint8_t kFixedModern = 0x31;    // FIXED_PITCH | FF_MODERN
constexpr std::uint8_t kVariableSwiss = 0x22;  // VARIABLE_PITCH | FF_SWISS

QRect OntoAScreen(QRect rect) {
  const auto screens = QGuiApplication::screens();
  const bool visible = std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
    return screen->availableGeometry().intersects(rect);
  });
  if (visible || !QGuiApplication::primaryScreen()) return rect;
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  rect.setSize(rect.size().boundedTo(area.size()));
  rect.moveTopLeft(area.topLeft());
  return rect;
}

}  // namespace

WindowPlacement PlacementOf(const QWidget& window) {
  WindowPlacement placement;
  placement.showCmd = window.isMinimized()   ? kShowMinimized
                      : window.isMaximized() ? kShowMaximized
                                             : kShowNormal;
  QRect normal =
      window.isMaximized() || window.isFullScreen() ? window.normalGeometry() : window.geometry();
  if (!normal.isValid()) normal = window.geometry();
  placement.normalLeft = normal.left();
  placement.normalTop = normal.top();
  placement.normalRight = normal.left() + normal.width();
  placement.normalBottom = normal.top() + normal.height();
  return placement;
}

void ApplyPlacement(QWidget& window, const WindowPlacement& placement) {
  const QRect normal(placement.normalLeft, placement.normalTop,
                     placement.normalRight - placement.normalLeft,
                     placement.normalBottom - placement.normalTop);
  if (normal.width() > 0 && normal.height() > 0) window.setGeometry(OntoAScreen(normal));
  if (placement.showCmd == kShowMaximized) {
    window.setWindowState(Qt::WindowMaximized);
  } else if (placement.showCmd == kShowMinimized) {
    window.setWindowState(Qt::WindowMinimized);
  }
}

LogFont LogFontOf(const QFont& font, int dpiY) {
  LogFont record;
  record.height = font.pixelSize() > 0
                      ? -font.pixelSize()
                      : -static_cast<std::int32_t>(std::lround(font.pointSizeF() * dpiY / 72.0));
  record.weight = font.weight();
  record.italic = font.italic() ? 1 : 0;
  record.underline = font.underline() ? 1 : 0;
  record.strikeOut = font.strikeOut() ? 1 : 0;
  const QFontInfo info(font);
  record.charSet = QFontDatabase::writingSystems(info.family()).contains(QFontDatabase::Japanese)
                       ? kShiftJisCharSet
                       : 0;
  record.pitchAndFamily = info.fixedPitch() ? kFixedModern : kVariableSwiss;
  record.faceName = ToCp932(font.family());
  return record;
}

QFont FontFromLogFont(const LogFont& record) {
  QFont font(ToQString(record.faceName));
  if (record.height != 0) font.setPixelSize(std::abs(record.height));
  font.setWeight(record.weight == 0
                     ? QFont::Normal
                     : static_cast<QFont::Weight>(std::clamp(record.weight, 1, 1000)));
  font.setItalic(record.italic != 0);
  font.setUnderline(record.underline != 0);
  font.setStrikeOut(record.strikeOut != 0);
  return font;
}

}  // namespace vexa
