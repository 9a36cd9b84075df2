// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's side of the command list window: the ｺﾏﾝﾄﾞ一覧 command, which opens the
// window (owned by the hidden CDummyDlg) and fills it from the tree, or closes it; and the
// window's requests: select a row's item in the tree, close as the command does, and give a
// row's record for sorting.

#include <QObject>
#include <QPointer>

#include "gui/controls/CmdList.h"

namespace vexa {

class CTest3Dlg;
class Workspace;

class CommandListCommands : public QObject {
  Q_OBJECT

 public:
  // Attaches the ｺﾏﾝﾄﾞ一覧 command to `window`; the list window will belong to `owner`.
  CommandListCommands(CTest3Dlg& window, Workspace& work, Preferences& preferences, QWidget& owner);
  // Closes the window, which stores its layout.
  ~CommandListCommands() override;

  // Opens the window with the check mark set, or closes it and clears the mark.
  void Toggle();
  // The open window; nullptr when closed.
  CCmdList* Window() const { return window_; }

 protected:
  // The window's messages: select a row's item, closed, a row's record.
  void customEvent(QEvent* event) override;

 private:
  void SelectItemFromList(ItemHandle item);
  void CommandListClosed();

  void Open();
  void Close();

  CTest3Dlg& mainWindow_;
  Workspace& work_;
  Preferences& preferences_;
  QWidget& owner_;
  QPointer<CCmdList> window_;
};

}  // namespace vexa
