// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the command box, the command tree, the answer list and the status text,
// the menus and the toolbar with their check marks and greying, the caption, the layout and
// the mouse capture. It knows none of the features that the application builds around it:
// they attach command handlers, use its controls and hear its signals; the steps of start-up
// and closing that are theirs it leaves to MainWindowSteps.

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QToolBar>
#include <functional>
#include <optional>

#include "core/AppName.h"
#include "core/settings/Preferences.h"
#include "gui/controls/StatusText.h"
#include "gui/window/Accelerators.h"
#include "gui/window/MainWindowSteps.h"
#include "gui/window/WindRect.h"

class QAction;
class QLabel;
class QMenuBar;

namespace vexa {

class CAnswerList;
class CCmdTree;
class CFindBar;
class CComboBoxSum;
class CommandSet;

class CTest3Dlg : public QDialog, public AcceleratorTarget {
  Q_OBJECT

 public:
  enum CaptureModes : int {
    kIdle = 0,
    kOverSplitter = 1,
    kDraggingSplitter = 2,
    kDraggingItem = 3
  };

  // Reads the answer font from `preferences`; `steps` must outlive the window.
  CTest3Dlg(Preferences& preferences, MainWindowSteps& steps);
  ~CTest3Dlg() override;

  // Given by the start-up routine before DoModal.
  void SetCommandLine(const QString& text) { commandLine_ = text; }
  void SetAcceleratorRouter(QObject* router) { acceleratorRouter_ = router; }

  // OnInitDialog, the modal run, then DestroyWindow.
  int DoModal();
  void OnInitDialog();
  void DestroyWindow();

  // Commands.
  void SetCommandHandler(int id, std::function<void()> handler);
  void ExecuteCommand(int id);
  QAction* CommandAction(int id) const;
  void SetCommandCheck(int id, bool on);
  void SetCommandEnable(int id, bool on);
  bool IsCommandChecked(int id) const;
  bool IsCommandEnabled(int id) const;
  // The recent-file items before "ﾌﾟﾛｸﾞﾗﾑを終了する(&X)": display names, newest first.
  void SetRecentFileItems(const QStringList& names);
  void MenuSetup();
  void BuildToolbar(bool create);
  void RunAcceleratorCommand(int command) override;

  // The commands that follow the connection: greyed while connected, or while not. MenuSetup
  // applies the last of the two again.
  void ApplyConnectedEnabling();
  void ApplyDisconnectedEnabling();

  // The caption is the title part (base title, file title, "(更新)") followed by the
  // connection suffix while connected; setting either one shows the result.
  const QString& TitlePart() const { return titlePart_; }
  void SetTitlePart(const QString& part);
  const QString& ConnectionSuffix() const { return connectionSuffix_; }
  void SetConnectionSuffix(const QString& suffix);

  // Operations of the window itself.
  void SaveLayoutAndClose();
  void ShowAbout();
  void ShowHelp();
  void SelectAnswerFont();
  void ApplyTreeFont();

  // What the features use.
  CCmdTree& Tree() const { return *tree_; }
  CComboBoxSum& CommandBox() const { return *commandBox_; }
  CAnswerList& AnswerList() const { return *answerList_; }
  CFindBar& FindBar() const { return *findBar_; }
  // Opens or closes the find bar under the answer list.
  void ShowFindBar(bool shown);
  CStatusText& StatusText() const { return *statusText_; }
  QLabel& AnswerLabel() const { return *answerLabel_; }
  QWidget& ClientArea() const { return *client_; }
  QToolBar* Toolbar() const { return toolbar_; }
  QMenuBar* MenuBar() const { return menuBar_; }
  CWindRect& Layout() { return layout_; }
  const QString& CommandLine() const { return commandLine_; }
  const QString& BaseTitle() const { return baseTitle_; }
  int MenuMode() const { return menuMode_; }
  int CaptureMode() const { return captureMode_; }
  void SetCaptureMode(int mode) { captureMode_ = mode; }
  const std::optional<QFont>& AnswerFont() const { return answerFont_; }
  const AcceleratorTable* TreeTable() const { return tableTree_; }
  const AcceleratorTable* UnfocusedTable() const { return tableUnfocused_; }

 signals:
  // Mouse messages while a tree item is dragged (CaptureMode 3), in client coordinates.
  void treeDragMoved(QPoint clientPoint);
  void treeDropped(QPoint clientPoint, bool ctrlHeld);
  // A close request during an item drag ends only the drag.
  void treeDragCancelled();

 public slots:
  void accept() override;  // Enter: the 送信 command
  void reject() override;  // the close box, Escape, ﾌﾟﾛｸﾞﾗﾑを終了する

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void InstallMenuBar();
  void ConnectCommands();
  void RestoreWindowPreference();
  void OnClientResized();
  void OnMouseMove(QPoint point);
  void OnLeftButtonDown(QPoint point);
  void OnLeftButtonUp(QPoint point, bool ctrlHeld);
  void CaptureMouse();
  void ReleaseCapture();
  void OnTreeFocus(bool gained);
  void SetConnectionEnabling(bool connected);

  QWidget* client_ = nullptr;
  CComboBoxSum* commandBox_ = nullptr;  // 1033
  CCmdTree* tree_ = nullptr;            // 1002
  QLabel* answerLabel_ = nullptr;       // 1060
  CStatusText* statusText_ = nullptr;   // 1051
  CAnswerList* answerList_ = nullptr;   // 1044
  CFindBar* findBar_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QPointer<QToolBar> toolbar_;
  CommandSet* commands_ = nullptr;

  Preferences& prefs_;
  MainWindowSteps& steps_;
  QString commandLine_;
  QIcon icon_;
  std::optional<QFont> answerFont_;
  LogFont answerFontRecord_;
  bool connectedEnabling_ = false;
  CWindRect layout_;
  QString baseTitle_;
  QString titlePart_;
  QString connectionSuffix_;
  int menuMode_ = 1;
  int captureMode_ = kIdle;
  const AcceleratorTable* tableUnfocused_ = nullptr;
  const AcceleratorTable* tableTree_ = nullptr;
  QObject* acceleratorRouter_ = nullptr;
  bool windowDestroyed_ = false;
};

}  // namespace vexa
