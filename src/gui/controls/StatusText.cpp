// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/StatusText.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace vexa {

CStatusText::CStatusText(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QString CStatusText::ShownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void CStatusText::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawText(contentsRect(), static_cast<int>(alignment()), ShownText());
}

bool CStatusText::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QLabel::event(event);
  if (ShownText() != text()) {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
  } else {
    QToolTip::hideText();
  }
  return true;
}

}  // namespace vexa
