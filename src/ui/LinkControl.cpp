#include "ui/LinkControl.h"

#include <QCoreApplication>
#include <QEvent>

#include "app/Test3Dlg.h"
#include "commands/CmdTree.h"

namespace vexa {

LinkControl::LinkControl(CTest3Dlg& dialog)
    : dialog_(dialog), session_(dialog.Tree(), *this, dialog.Prefs().PortMappingLookup()) {}

LinkControl::~LinkControl() { session_.Disconnect(); }

void LinkControl::Post(LinkEvent type) {
  QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(type)));
}

void LinkControl::RecordsReady() { Post(kRecordsReadyEvent); }
void LinkControl::SendFailed() { Post(kSendErrorEvent); }
void LinkControl::DeviceLost() { Post(kDeviceLostEvent); }
void LinkControl::AnswerTimerFailed() { Post(kAnswerTimerErrorEvent); }

bool LinkControl::event(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case kRecordsReadyEvent:
    case kSendErrorEvent:
    case kDeviceLostEvent:
    case kAnswerTimerErrorEvent:
      return true;
    default:
      return QObject::event(event);
  }
}

}  // namespace vexa
