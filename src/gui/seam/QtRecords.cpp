// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/QtRecords.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gui/seam/QtText.h"

namespace vexa {
namespace {

constexpr std::uint8_t kShiftJisCharSet = 128;
constexpr std::uint8_t kFixedModern = 0x31;    // FIXED_PITCH | FF_MODERN
constexpr std::uint8_t kVariableSwiss = 0x22;  // VARIABLE_PITCH | FF_SWISS

// Far beyond any screen, and far enough from int's limits that QRect's sums cannot overflow.
constexpr std::int64_t kFarthest = std::int64_t{1} << 30;

int Bounded(std::int64_t value) {
  return static_cast<int>(std::clamp(value, -kFarthest, kFarthest));
}

// A stored rectangle comes from a file anyone may edit: one off every screen comes onto the
// primary screen, one larger than the screen it is on (or the primary screen) is bounded to
// that screen's available area and moved inside it, so that its frame stays in reach.
QRect OntoAScreen(const QRect& rect) {
  const auto screens = QGuiApplication::screens();
  const auto home = std::find_if(screens.begin(), screens.end(), [&](const QScreen* screen) {
    return screen->availableGeometry().intersects(rect);
  });
  const QScreen* screen = home != screens.end() ? *home : QGuiApplication::primaryScreen();
  if (!screen) return rect;
  const QRect area = screen->availableGeometry();
  QRect placed = rect;
  if (home == screens.end()) placed.moveTopLeft(area.topLeft());
  if (placed.width() > area.width() || placed.height() > area.height()) {
    placed.setSize(placed.size().boundedTo(area.size()));
    placed.moveLeft(std::clamp(placed.left(), area.left(), area.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), area.top(), area.bottom() + 1 - placed.height()));
  }
  return placed;
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
  // Sides far apart overflow int; the rectangle is bounded to a screen anyway.
  const std::int64_t width = std::int64_t{placement.normalRight} - placement.normalLeft;
  const std::int64_t height = std::int64_t{placement.normalBottom} - placement.normalTop;
  if (width > 0 && height > 0) {
    window.setGeometry(
        OntoAScreen(QRect(Bounded(placement.normalLeft), Bounded(placement.normalTop),
                          Bounded(width), Bounded(height))));
  }
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
