// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/SteadyScrollBar.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleOptionSlider>

namespace vexa {

namespace {

// The raster engine hands a fill of 96 spans or more to two threads of the toolkit's pool and
// waits for both: for a bar, two threads woken several times per drawing, at more than twice the
// cost of the drawing itself. Smaller fills stay on the calling thread. Unscaled, the bar's
// fills take at most two spans a row (a handle's outline); scaled, their edges split rows
// further, and bands thin enough would cost as much as the pool.
constexpr int kRowsPerBand = 47;

}  // namespace

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
  // Opaque, so that drawing the bar does not draw the window behind it first.
  setAutoFillBackground(true);
}

SteadyScrollBar::Look SteadyScrollBar::CurrentLook() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return {option.rect,
          style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
          option.state,
          option.activeSubControls,
          option.sliderValue == option.minimum,
          option.sliderValue == option.maximum};
}

// A list that grows sets its range and then its value; between the two the handle stands
// elsewhere for a moment. So the look is judged once both have been set.
void SteadyScrollBar::sliderChange(SliderChange change) {
  if (change == SliderOrientationChange) {
    shown_.reset();
    QScrollBar::sliderChange(change);
    return;
  }
  if (lookCheckPosted_) return;
  lookCheckPosted_ = true;
  QMetaObject::invokeMethod(this, &SteadyScrollBar::UpdateIfLookChanged, Qt::QueuedConnection);
}

void SteadyScrollBar::UpdateIfLookChanged() {
  lookCheckPosted_ = false;
  const Look now = CurrentLook();
  if (shown_ == now) return;
  shown_ = now;
  update();
}

// On screen, the same drawing once per band of rows with the clip narrowed to it: the pixels
// come out as from one drawing. Drawings elsewhere (a grab, a painter handed to render) are the
// toolkit's own: one of them shares its painter, which a narrowed clip does not reach.
void SteadyScrollBar::paintEvent(QPaintEvent* event) {
  QPaintEngine* engine = nullptr;
  QTransform toDevice;
  bool onScreen = false;
  {
    QPainter probe(this);
    engine = probe.paintEngine();
    toDevice = probe.deviceTransform();
    QBackingStore* screen = backingStore();
    onScreen =
        engine != nullptr && screen != nullptr && engine->paintDevice() == screen->paintDevice();
  }
  const QRect bar = toDevice.mapRect(rect());  // the system clip is in device pixels
  if (!onScreen || toDevice.type() > QTransform::TxTranslate || bar.height() <= kRowsPerBand) {
    QScrollBar::paintEvent(event);
    return;
  }
  const QRegion systemClip = engine->systemClip();
  const QRegion drawn = systemClip.isEmpty() ? QRegion(bar) : systemClip;
  for (int top = bar.top(); top <= bar.bottom(); top += kRowsPerBand) {
    const QRegion band = drawn & QRect(bar.left(), top, bar.width(), kRowsPerBand);
    if (band.isEmpty()) continue;  // an empty system clip would mean no clip at all
    engine->setSystemClip(band);
    QScrollBar::paintEvent(event);
  }
  engine->setSystemClip(systemClip);
}

}  // namespace vexa
