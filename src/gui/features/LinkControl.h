// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's side of the link: connecting and disconnecting, sending what the operator asks
// for (the command box, the selected item, a double click), the command box's history, the
// answer list fed from the workspace's receive pipeline in batches, the communication log and
// the status text. The link's threads reach it only through LinkEvents.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <string>
#include <vector>

#include "core/items/ItemTree.h"
#include "core/workspace/Workspace.h"
#include "gui/controls/AnswerList.h"
#include "gui/features/FeatureInterfaces.h"

namespace vexa {

class CTest3Dlg;
class LinkEvents;
class Preferences;

class LinkControl : public QObject, public CommandBoxFeed, private ReceivedLineSink {
  Q_OBJECT

 public:
  LinkControl(CTest3Dlg& window, Workspace& work, LinkEvents& events, Preferences& preferences);
  ~LinkControl() override;

  // 接続: opens the port and puts the window into the connected state.
  void Connect();
  // 切断, and the disconnected state at start-up and when closing.
  void Disconnect();
  // Enter, 送信, Ctrl+T: beeps while not connected; else sends the command box's text, or the
  // selected item when the box is empty.
  void Send();
  void SendCommandText(const std::string& text);
  void SendSelectedItem();
  // The command box's history: newest first, one entry per text (ignoring letter case).
  void AddCommandHistory(const std::string& text, int kind);
  // While connected, an item's command data goes into the command box with its kind.
  void ShowItemInCommandBox(ItemHandle item);
  void ShowSelectedItem() override;

  // ﾛｸﾞ
  void ToggleLog();
  // The log file name kept in the preferences: read at start-up, stored when closing.
  void ReadLogName();
  void StopLogging();

  // Takes every queued record (the handler of event 0x464).
  void DrainReceived();
  // Puts the lines received since the last time into the answer list.
  void ShowPendingLines();

 private:
  void AttachCommands();
  void ShowReceivedLine(std::string_view line, WallTime arrival) override;
  void ShowSentLine(std::string_view bytes, const RecordTag& tag) override;
  void ReportAndDisconnect(const char* message);
  void OnSendFailed();
  void OnDeviceLost();
  // The device waited for vanished or came back.
  void OnLinkStateChanged();
  // 自動再接続
  void ToggleReconnect();
  bool ChooseLogFile(QString& fileName);
  bool OpenLog();
  void EndLogAfterWriteFailure();
  void OnHistoryEntryChosen(int index);
  bool OnDoubleClick();
  void UpdateStatusText();

  CTest3Dlg& window_;
  Workspace& work_;
  Preferences& preferences_;
  std::string logFileName_;  // the last log chosen, in the file system's encoding
  QString logName_;          // the file name shown while logging
  // Received lines wait here for the answer list, which takes them in batches at most ten
  // times a second: drawing every line as it comes would spend the window's time on drawing.
  // No more wait than a showing could keep: a flood's older lines would cost memory for nothing.
  PendingLines pendingLines_{CAnswerList::kHeldLimit};
  bool hexShown_ = false;  // the display form of the drain under way
  QTimer showTimer_;
  QElapsedTimer lastShown_;
};

}  // namespace vexa
