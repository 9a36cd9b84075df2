#pragma once
// The main window's side of the serial link: connecting and disconnecting, sending what the
// operator asks for, turning received records into answer-list lines, log records and
// automatic answers, and the communication log. The link's threads reach it only through
// posted events.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <string>
#include <vector>

#include "core/items/ItemTree.h"
#include "core/files/CommLog.h"
#include "core/link/LinkNotifier.h"
#include "core/link/LinkSession.h"

namespace vexa {

class CTest3Dlg;

// Posted by the link's threads; the numbers are the window messages they stand for (the last
// two are new: the device vanished, an automatic-answer timer had failed).
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

  // 接続: opens the port and puts the window into the connected state.
  void Connect();
  // The link's part of 切断 (the window does the rest).
  void DisconnectLink();
  // Enter, 送信, Ctrl+T while connected: the command box's text, or else the selected item.
  void Send();
  void SendCommandText(const std::string& text);
  void SendSelectedItem();
  // The command box's history: newest first, one entry per text (ignoring letter case).
  void AddCommandHistory(const std::string& text, int kind);
  // While connected, an item's command data goes into the command box with its kind.
  void ShowItemInCommandBox(ItemHandle item);

  // ﾛｸﾞ
  void ToggleLog();
  bool IsLogging() const { return log_.IsOpen(); }
  void CloseLog();

  // Takes every queued record (the handler of event 0x464).
  void DrainReceived();
  // Puts the lines received since the last time into the answer list.
  void ShowPendingLines();

  // LinkNotifier: from the link's threads.
  void RecordsReady() override;
  void SendFailed() override;
  void DeviceLost() override;
  void AnswerTimerFailed() override;

 protected:
  bool event(QEvent* event) override;

 private:
  void AttachCommands();
  void Post(LinkEvent type);
  void ReportAndDisconnect(const char* message);
  bool ChooseLogFile(QString& fileName);
  bool OpenLog();
  void EndLogAfterWriteFailure();
  void OnHistoryEntryChosen(int index);
  void UpdateStatusText();

  CTest3Dlg& dialog_;
  CommLog log_;
  // Received lines wait here for the answer list, which takes them in batches at most ten
  // times a second: drawing every line as it comes would spend the window's time on drawing.
  std::vector<std::string> pendingLines_;
  QTimer showTimer_;
  QElapsedTimer lastShown_;
  QString logName_;  // the file name shown while logging
  LinkSession session_;
};

}  // namespace vexa
