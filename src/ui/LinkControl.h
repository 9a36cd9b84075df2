#pragma once
// The main window's side of the serial link: connecting and disconnecting, sending what the
// operator asks for, and turning received records into answer-list lines, log records and
// automatic answers. The link's threads reach it only through posted events.

#include <QObject>

#include "serial/LinkNotifier.h"
#include "serial/LinkSession.h"

namespace vexa {

class CTest3Dlg;

// Posted by the link's threads; the numbers are the window messages they stand for.
enum LinkEvent : int {
  kRecordsReadyEvent = 0x464,
  kSendErrorEvent = 0x496,
  kDeviceLostEvent = 0x4B4,
  kAnswerTimerErrorEvent = 0x4BE,
};

class LinkControl : public QObject, public LinkNotifier {
  Q_OBJECT

 public:
  explicit LinkControl(CTest3Dlg& dialog);
  ~LinkControl() override;

  LinkSession& Session() { return session_; }

  // LinkNotifier: from the link's threads.
  void RecordsReady() override;
  void SendFailed() override;
  void DeviceLost() override;
  void AnswerTimerFailed() override;

 protected:
  bool event(QEvent* event) override;

 private:
  void Post(LinkEvent type);

  CTest3Dlg& dialog_;
  LinkSession session_;
};

}  // namespace vexa
