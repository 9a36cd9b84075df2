// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/SteadyScrollBar.h"

#include <QStyleOptionSlider>

namespace vexa {

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

}  // namespace vexa
