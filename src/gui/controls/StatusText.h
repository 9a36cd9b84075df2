// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The status text above the answer list (recording, lost data). It keeps to its own
// rectangle: a text too long for it loses its beginning, the counts at its end stay, and the
// whole text is the tool tip.

#include <QLabel>

namespace vexa {

class CStatusText : public QLabel {
  Q_OBJECT

 public:
  explicit CStatusText(QWidget* parent = nullptr);

  // What is painted: text(), shortened on the left to the width when it does not fit.
  QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};

}  // namespace vexa
