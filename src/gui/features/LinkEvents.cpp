// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/features/LinkEvents.h"

#include <QCoreApplication>
#include <QEvent>

namespace vexa {

void LinkEvents::Post(LinkEvent type) {
  QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(type)));
}

bool LinkEvents::event(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case kRecordsReadyEvent:
      emit recordsReady();
      return true;
    case kSendErrorEvent:
      emit sendFailed();
      return true;
    case kDeviceLostEvent:
      emit deviceLost();
      return true;
    case kAnswerTimerErrorEvent:
      emit answerTimerFailed();
      return true;
    case kLinkStateEvent:
      emit linkStateChanged();
      return true;
    default:
      return QObject::event(event);
  }
}

}  // namespace vexa
