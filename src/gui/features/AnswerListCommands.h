// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the operator does with the answer list beyond watching it: the display switches of the
// 表示 menu (arrival times, sent lines), remembered in the preferences; finding in the list
// with the find bar; copying, selecting, clearing and saving its lines through its
// right-button menu.

#include <QObject>
#include <QPoint>

namespace vexa {

class CTest3Dlg;
class Preferences;
class Workspace;

class AnswerListCommands : public QObject {
  Q_OBJECT

 public:
  // Attaches the commands to `window` and applies the switches stored in `preferences`.
  AnswerListCommands(CTest3Dlg& window, Workspace& work, Preferences& preferences);

  // 時刻表示, 送信ﾃﾞｰﾀ表示
  void ToggleTimes();
  void ToggleSent();

  // The find bar: open it with the focus in its field; find the next or previous match and
  // show it (a beep and a word in the bar when there is none); close it, which lets the list
  // follow new lines again.
  void OpenFind();
  void FindAgain(bool forward);
  void CloseFind();

  // ｸﾘｱ: empties the list (the log keeps everything).
  void ClearList();
  // 名前をつけて保存: the lines as shown, UTF-8, one per line.
  void SaveList();
  // The right-button menu at a point of the list's viewport.
  void ShowContextMenu(QPoint viewportPoint);

 private:
  void ApplyTimes(bool on);
  void ApplySent(bool on);

  CTest3Dlg& window_;
  Workspace& work_;
  Preferences& preferences_;
};

}  // namespace vexa
