// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The status text above the answer list (recording, lost data). It keeps to its own
// rectangle: a text too long for it loses its middle, so that what it is ("記録中",
// "再接続待ち") and the counts at its end both stay, and the whole text is the tool tip.

#include <QLabel>

namespace vexa {

class CStatusText : public QLabel {
  Q_OBJECT

 public:
  explicit CStatusText(QWidget* parent = nullptr);

  // What is painted: text(), shortened in the middle to the width when it does not fit.
  QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};

}  // namespace vexa
