// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A scroll bar that draws itself again only when what it shows changes. A list that grows by a
// line at a time changes its range with every line, yet past a few hundred lines the handle
// keeps its size and place to the pixel; drawing the whole bar again each time cost more than
// drawing the new line. It also draws itself in bands, so that its fills stay on the UI thread.

#include <QRect>
#include <QScrollBar>
#include <QStyle>
#include <optional>

namespace vexa {

class SteadyScrollBar : public QScrollBar {
  Q_OBJECT

 public:
  explicit SteadyScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

 protected:
  void sliderChange(SliderChange change) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Look {
    QRect rect;
    QRect handle;
    QStyle::State state;
    QStyle::SubControls active;
    bool atStart = false;
    bool atEnd = false;
    bool operator==(const Look&) const = default;
  };
  Look CurrentLook() const;
  void UpdateIfLookChanged();

  std::optional<Look> shown_;  // as of the last change that reached the screen
  bool lookCheckPosted_ = false;
};

}  // namespace vexa
