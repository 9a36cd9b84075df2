#pragma once
// The main window. It owns everything the operator works with for the whole run: the command
// box, the command tree, the answer list, the settings record, the menus and the toolbar.
// Features attach through the command handler table and the hooks below.

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QToolBar>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/AppName.h"
#include "gui/window/Accelerators.h"
#include "gui/window/WindRect.h"
#include "core/settings/CommSettings.h"
#include "core/settings/Preferences.h"

class QAction;
class QLabel;
class QMenuBar;

namespace vexa {

class CAnswerList;
class CCmdTree;
class CComboBoxSum;
class CommandListCommands;
class CommandListView;
class CommandSet;
class FileCommands;
class LinkControl;
class LinkSession;
class SettingsCommands;
class TreeCommands;
class TreeDragDrop;

// What the main window does not do itself: each hook is called at its step, and does nothing
// (or answers "go on") while no feature has filled it.
struct DialogHooks {
  // Start-up, in the order of OnInitDialog.
  std::function<void()> attachCommandList;                        // the list's notification target
  std::function<void(const QString& commandLine)> takeCommandLineFile;  // a ".vxp" argument
  std::function<void()> rebuildFileHistory;
  std::function<void()> rebuildHistoryMenu;  // also run by MenuSetup
  std::function<void()> createItemImages;
  std::function<void()> loadStartupFile;  // silently; an empty tree when it fails
  std::function<void()> prepareReceiveQueue;
  std::function<void()> updateTitle;
  std::function<void()> createItemEditor;

  // Closing, in the order of SaveLayoutAndClose.
  std::function<void()> cancelTreeDrag;
  std::function<bool()> confirmSave;  // false: the operator cancelled, the window stays
  std::function<void()> stopLogging;

  // The link side of Disconnect: the connection suffix, timers, automatic answers, the
  // receive thread and the port.
  std::function<void()> disconnectLink;
  // Enter or 送信 while connected.
  std::function<void()> send;
  // A double click on a tree item while connected: send that item.
  std::function<void()> sendSelectedItem;
  // The tree's selection changed (or it gained the focus) while connected.
  std::function<void()> showItemInCommandBox;
  // Mouse messages while a tree item is dragged (CaptureMode 3), in client coordinates.
  std::function<void(QPoint)> treeDragMove;
  std::function<void(QPoint, bool ctrlHeld)> treeDrop;
};

class CTest3Dlg : public QDialog, public AcceleratorTarget {
  Q_OBJECT

 public:
  enum CaptureModes : int { kIdle = 0, kOverSplitter = 1, kDraggingSplitter = 2, kDraggingItem = 3 };

  CTest3Dlg();
  ~CTest3Dlg() override;

  // Given by the start-up routine before DoModal.
  void SetCommandLine(const QString& text) { commandLine_ = text; }
  void SetCommandListOwner(QWidget* owner) { commandListOwner_ = owner; }
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

  // Connection state.
  bool IsConnected() const { return connected_ != 0; }
  void SetConnected(bool connected) { connected_ = connected ? 1 : 0; }
  void ApplyConnectedEnabling();
  void ApplyDisconnectedEnabling();
  void Disconnect();

  // The caption is the title part (base title, file title, "(更新)") followed by the
  // connection suffix while connected; setting either one shows the result.
  const QString& TitlePart() const { return titlePart_; }
  void SetTitlePart(const QString& part);
  const QString& ConnectionSuffix() const { return connectionSuffix_; }
  void SetConnectionSuffix(const QString& suffix);

  // Operations of the window itself.
  void OnOK();
  void SaveLayoutAndClose();
  void ShowAbout();
  void ShowHelp();
  void SelectAnswerFont();
  void ApplyTreeFont();

  // Parts for the features.
  DialogHooks& Hooks() { return hooks_; }
  CCmdTree& Tree() const { return *tree_; }
  CComboBoxSum& CommandBox() const { return *commandBox_; }
  CAnswerList& AnswerList() const { return *answerList_; }
  QLabel& StatusText() const { return *statusText_; }
  QLabel& AnswerLabel() const { return *answerLabel_; }
  QWidget& ClientArea() const { return *client_; }
  QToolBar* Toolbar() const { return toolbar_; }
  QMenuBar* MenuBar() const { return menuBar_; }
  CWindRect& Layout() { return layout_; }
  CommSettings& Settings() { return settings_; }
  std::mutex& SendLock();
  LinkControl& Link() const { return *link_; }
  TreeCommands& TreeEditing() const { return *treeEditing_; }
  FileCommands& Files() const { return *files_; }
  TreeDragDrop& DragDrop() const { return *dragDrop_; }
  CommandListCommands& CommandListWindow() const { return *commandListCommands_; }
  // The command list window; nullptr while there is none.
  CommandListView* CommandList() const { return commandList_; }
  void SetCommandList(CommandListView* list) { commandList_ = list; }
  LinkSession& Session() const;
  Preferences& Prefs() { return prefs_; }
  QWidget* CommandListOwner() const { return commandListOwner_; }
  const QString& CommandLine() const { return commandLine_; }
  const QString& BaseTitle() const { return baseTitle_; }
  std::string& LogFileName() { return logFileName_; }
  int MenuMode() const { return menuMode_; }
  int CaptureMode() const { return captureMode_; }
  void SetCaptureMode(int mode) { captureMode_ = mode; }
  const std::optional<QFont>& AnswerFont() const { return answerFont_; }
  const AcceleratorTable* TreeTable() const { return tableTree_; }
  const AcceleratorTable* UnfocusedTable() const { return tableUnfocused_; }

 public slots:
  void accept() override;  // Enter, 送信
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
  void OnTreeSelectionChanged();
  void SetConnectionEnabling(bool connected);

  static void Call(const std::function<void()>& hook) {
    if (hook) hook();
  }

  QWidget* client_ = nullptr;
  CComboBoxSum* commandBox_ = nullptr;  // 1033
  CCmdTree* tree_ = nullptr;            // 1002
  QLabel* answerLabel_ = nullptr;       // 1060
  QLabel* statusText_ = nullptr;        // 1051
  CAnswerList* answerList_ = nullptr;   // 1044
  QMenuBar* menuBar_ = nullptr;
  QPointer<QToolBar> toolbar_;
  CommandSet* commands_ = nullptr;

  QString commandLine_;
  CommSettings settings_;
  QIcon icon_;
  std::string logFileName_;
  Preferences prefs_;
  std::optional<QFont> answerFont_;
  LogFont answerFontRecord_;
  int connected_ = 0;
  CWindRect layout_;
  QString baseTitle_;
  QString titlePart_;
  QString connectionSuffix_;
  int menuMode_ = 1;
  QPointer<QWidget> commandListOwner_;
  int captureMode_ = kIdle;
  const AcceleratorTable* tableUnfocused_ = nullptr;
  const AcceleratorTable* tableTree_ = nullptr;
  QObject* acceleratorRouter_ = nullptr;
  DialogHooks hooks_;
  std::unique_ptr<TreeCommands> treeEditing_;
  std::unique_ptr<FileCommands> files_;
  std::unique_ptr<SettingsCommands> settingsCommands_;
  CommandListView* commandList_ = nullptr;
  std::unique_ptr<TreeDragDrop> dragDrop_;
  std::unique_ptr<CommandListCommands> commandListCommands_;
  // Destroyed before the child widgets (the tree among them) that its timers reach.
  std::unique_ptr<LinkControl> link_;
  bool windowDestroyed_ = false;
};

}  // namespace vexa
