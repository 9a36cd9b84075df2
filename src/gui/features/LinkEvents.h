// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The link's threads reach the window through here: each notification is posted as an event
// with the number of the window message it stands for, and arrives on the window's thread
// as a signal. Records-ready notices are coalesced by the link itself.

#include <QObject>

#include "core/link/LinkNotifier.h"

namespace vexa {

// The numbers of the window messages (the last three are new: the device vanished, an
// automatic-answer timer had failed, a device waited for vanished or came back).
enum LinkEvent : int {
  kRecordsReadyEvent = 0x464,
  kSendErrorEvent = 0x496,
  kDeviceLostEvent = 0x4B4,
  kAnswerTimerErrorEvent = 0x4BE,
  kLinkStateEvent = 0x4C8,
};

class LinkEvents : public QObject, public LinkNotifier {
  Q_OBJECT

 public:
  // Any thread.
  void RecordsReady() override { Post(kRecordsReadyEvent); }
  void SendFailed() override { Post(kSendErrorEvent); }
  void DeviceLost() override { Post(kDeviceLostEvent); }
  void AnswerTimerFailed() override { Post(kAnswerTimerErrorEvent); }
  void LinkStateChanged() override { Post(kLinkStateEvent); }

 signals:
  void recordsReady();
  void sendFailed();
  void deviceLost();
  void answerTimerFailed();
  void linkStateChanged();

 protected:
  bool event(QEvent* event) override;

 private:
  void Post(LinkEvent type);
};

}  // namespace vexa
