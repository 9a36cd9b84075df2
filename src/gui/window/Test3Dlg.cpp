// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/Test3Dlg.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <vector>

#include "core/CommandIds.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdTree.h"
#include "gui/controls/ComboBoxSum.h"
#include "gui/controls/FindBar.h"
#include "gui/seam/DialogUnits.h"
#include "gui/seam/QtRecords.h"
#include "gui/seam/Resources.h"
#include "gui/seam/UiSeam.h"
#include "gui/window/AboutDlg.h"
#include "gui/window/CommandSet.h"

namespace vexa {
namespace {

constexpr char kHelpFile[] = "VexaHelp.html";
constexpr char kHelpNotFound[] =
    "ヘルプファイルが見つかりません。\nインストーラでVexa を修復することをお勧めします。";
constexpr char kHelpNotOpened[] = "ヘルプファイルが開けません。";

// Commands whose state follows the connection: enabled while connected, or while not.
constexpr int kEnabledWhenConnected[] = {kCmdDisconnect, kCmdSend};
constexpr int kEnabledWhenDisconnected[] = {
    kCmdConnect,         kCmdOpenFile,        kCmdNewFile,
    kCmdRecentFile0,     kCmdRecentFile0 + 1, kCmdRecentFile0 + 2,
    kCmdRecentFile0 + 3, kCmdRecentFile0 + 4, kCmdDefaultSet};

QString AppName() {
  return QString::fromUtf8(kAppName);
}

}  // namespace

CTest3Dlg::CTest3Dlg(Preferences& preferences, MainWindowSteps& steps)
    : QDialog(nullptr), prefs_(preferences), steps_(steps) {
  LoadResources();
  icon_ = QIcon(QStringLiteral(":/vexa/vexa.png"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setWindowTitle(AppName());
  setFont(DialogFont());
  commands_ = new CommandSet(this);
  CreateControls();
  InstallMenuBar();
  ConnectCommands();

  if (const auto record = prefs_.ReadFont()) {
    answerFontRecord_ = *record;
    answerFont_ = FontFromLogFont(*record);
  }
}

CTest3Dlg::~CTest3Dlg() {
  DestroyWindow();
  if (answerFont_) prefs_.WriteFont(answerFontRecord_);
}

void CTest3Dlg::CreateControls() {
  auto* frame = new QVBoxLayout(this);
  frame->setContentsMargins(0, 0, 0, 0);
  frame->setSpacing(0);
  client_ = new QWidget(this);
  client_->setMouseTracking(true);
  client_->installEventFilter(this);
  frame->addWidget(client_);

  // The template, in dialog units of the dialog font; the top strip is the toolbar's.
  const DialogUnits units(font());
  client_->resize(units.Size(352, 229));
  auto* commandLabel = new QLabel(QStringLiteral("送信するｺﾏﾝﾄﾞ"), client_);
  commandLabel->setGeometry(units.Rect(10, 19, 49, 8));
  commandBox_ = new CComboBoxSum(client_);
  const QRect box = units.Rect(10, 29, 175, 140);
  commandBox_->setGeometry(box.x(), box.y(), box.width(), commandBox_->sizeHint().height());
  tree_ = new CCmdTree(client_);
  tree_->setGeometry(units.Rect(10, 45, 175, 171));
  answerLabel_ = new QLabel(QStringLiteral("回答"), client_);
  answerLabel_->setGeometry(units.Rect(204, 19, 15, 8));
  statusText_ = new CStatusText(client_);
  statusText_->setGeometry(units.Rect(223, 19, 120, 8));
  answerList_ = new CAnswerList(client_);
  answerList_->setGeometry(units.Rect(203, 34, 138, 181));
  findBar_ = new CFindBar(client_);
  findBar_->hide();
}

void CTest3Dlg::ShowFindBar(bool shown) {
  layout_.ShowListBar(shown);
}

void CTest3Dlg::InstallMenuBar() {
  delete menuBar_;
  menuBar_ = new QMenuBar(this);
  commands_->FillMenuBar(*menuBar_);
  layout()->setMenuBar(menuBar_);
}

void CTest3Dlg::ConnectCommands() {
  SetCommandHandler(kCmdAbout, [this] { ShowAbout(); });
  SetCommandHandler(kCmdHelp, [this] { ShowHelp(); });
  SetCommandHandler(kCmdFont, [this] { SelectAnswerFont(); });
  SetCommandHandler(kCmdExit, [this] { SaveLayoutAndClose(); });
  connect(tree_, &CCmdTree::focusGained, this, [this] { OnTreeFocus(true); });
  connect(tree_, &CCmdTree::focusLost, this, [this] { OnTreeFocus(false); });
}

int CTest3Dlg::DoModal() {
  OnInitDialog();
  // Modal to nothing, as a dialog without an owner: the command list window stays usable.
  setWindowModality(Qt::WindowModal);
  const int result = exec();
  DestroyWindow();
  return result;
}

void CTest3Dlg::OnInitDialog() {
  // The window starts at the template's client size below its menu bar.
  resize(client_->width(), client_->height() + menuBar_->sizeHint().height());
  layout()->activate();
  setWindowIcon(icon_);

  const ViewFlags flags = ViewFlags::FromBits(prefs_.ReadFlag().value_or(0));
  menuMode_ = flags.menuMode ? 1 : 0;
  MenuSetup();
  if (flags.commandListOpen) ExecuteCommand(kCmdCommandList);
  baseTitle_ = windowTitle();
  titlePart_ = baseTitle_;
  steps_.TakeCommandLineFile(commandLine_);
  steps_.RebuildFileHistory();
  steps_.RebuildHistoryMenu();
  steps_.ReadLogName();

  layout_.SetUp({client_, statusText_, tree_, commandBox_, answerList_, answerLabel_, findBar_});
  layout_.Measure();
  RestoreWindowPreference();
  captureMode_ = kIdle;
  if (answerFont_) answerList_->setFont(*answerFont_);
  ApplyTreeFont();
  tree_->CreateItemImages();
  steps_.Disconnect();
  tableUnfocused_ = &TableUnfocused();
  tableTree_ = &TableTree();
  PostSetAccel(acceleratorRouter_, this, tableUnfocused_);
  steps_.LoadStartupFile();
  steps_.UpdateTitle();
  steps_.CreateItemEditor();
}

void CTest3Dlg::RestoreWindowPreference() {
  if (const auto window = prefs_.ReadWindow()) {
    ApplyPlacement(*this, window->placement);
    layout()->activate();
    OnClientResized();
    layout_.Layout(window->treeWidth - layout_.TreeWidth());
  }
  layout_.Measure();
}

void CTest3Dlg::DestroyWindow() {
  if (windowDestroyed_) return;
  windowDestroyed_ = true;
  // A window on its way out reports no more focus changes (hiding it would).
  disconnect(tree_, nullptr, this, nullptr);
  PostSetAccel(acceleratorRouter_, nullptr, nullptr);
  delete menuBar_;
  menuBar_ = nullptr;
  // No timer may still reach an item once the items go.
  steps_.Disconnect();
  tree_->ClearTree();
}

void CTest3Dlg::SetTitlePart(const QString& part) {
  titlePart_ = part;
  setWindowTitle(titlePart_ + connectionSuffix_);
}

void CTest3Dlg::SetConnectionSuffix(const QString& suffix) {
  connectionSuffix_ = suffix;
  setWindowTitle(titlePart_ + connectionSuffix_);
}

void CTest3Dlg::SetCommandHandler(int id, std::function<void()> handler) {
  commands_->SetHandler(id, std::move(handler));
}

void CTest3Dlg::ExecuteCommand(int id) {
  commands_->Execute(id);
}

QAction* CTest3Dlg::CommandAction(int id) const {
  return commands_->Action(id);
}

void CTest3Dlg::SetCommandCheck(int id, bool on) {
  commands_->SetCheck(id, on);
}

void CTest3Dlg::SetCommandEnable(int id, bool on) {
  commands_->SetEnable(id, on);
}

bool CTest3Dlg::IsCommandChecked(int id) const {
  return commands_->IsChecked(id);
}

bool CTest3Dlg::IsCommandEnabled(int id) const {
  return commands_->IsEnabled(id);
}

void CTest3Dlg::SetRecentFileItems(const QStringList& names) {
  commands_->SetRecentFiles(names);
}

void CTest3Dlg::MenuSetup() {
  // The command list's check survives a new menu, and so do the switches added to the 表示
  // and 通信 menus, which the window's state follows.
  const int kept[] = {kCmdCommandList, kCmdShowTimes, kCmdShowSent, kCmdReconnect};
  std::vector<int> checked;
  for (int id : kept) {
    if (IsCommandChecked(id)) checked.push_back(id);
  }
  BuildToolbar(false);
  commands_->ResetStates();
  InstallMenuBar();
  BuildToolbar(true);
  menuMode_ = 0;
  SetConnectionEnabling(connectedEnabling_);
  for (int id : checked) SetCommandCheck(id, true);
  steps_.RebuildHistoryMenu();
  PostSetAccel(acceleratorRouter_, this, tableTree_);
}

void CTest3Dlg::BuildToolbar(bool create) {
  delete toolbar_;
  if (!create) return;
  toolbar_ = commands_->CreateToolbar(client_);
  // Sized once, as built; resizing the window does not stretch it.
  toolbar_->setGeometry(0, 0, client_->width(), toolbar_->sizeHint().height());
  toolbar_->show();
}

void CTest3Dlg::RunAcceleratorCommand(int command) {
  const QAction* action = CommandAction(command);
  if (action && !action->isEnabled()) return;
  ExecuteCommand(command);
}

void CTest3Dlg::SetConnectionEnabling(bool connected) {
  connectedEnabling_ = connected;
  for (int id : kEnabledWhenConnected) SetCommandEnable(id, connected);
  for (int id : kEnabledWhenDisconnected) SetCommandEnable(id, !connected);
}

void CTest3Dlg::ApplyConnectedEnabling() {
  SetConnectionEnabling(true);
}

void CTest3Dlg::ApplyDisconnectedEnabling() {
  SetConnectionEnabling(false);
}

void CTest3Dlg::accept() {
  ExecuteCommand(kCmdSend);
}

void CTest3Dlg::reject() {
  SaveLayoutAndClose();
}

void CTest3Dlg::SaveLayoutAndClose() {
  if (captureMode_ == kDraggingItem) {
    emit treeDragCancelled();
    captureMode_ = kIdle;
    ReleaseCapture();
    return;
  }
  if (!steps_.ConfirmSave()) return;
  steps_.StopLogging();
  prefs_.WriteFlag(ViewFlags{menuMode_ != 0, IsCommandChecked(kCmdCommandList)}.Bits());
  prefs_.WriteWindow({layout_.TreeWidth(), PlacementOf(*this)});
  steps_.Disconnect();
  QDialog::done(QDialog::Accepted);
}

void CTest3Dlg::ShowAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CTest3Dlg::ShowHelp() {
  const QString folder = QCoreApplication::applicationDirPath();
  const QString helpFile = QString::fromUtf8(kHelpFile);
  for (const QString& path : {folder + QLatin1Char('/') + helpFile,
                              folder + QStringLiteral("/../share/doc/vexa/") + helpFile}) {
    if (!QFileInfo(path).isFile()) continue;
    if (!ui::OpenDocument(QFileInfo(path).canonicalFilePath())) {
      ui::ShowMessage(this, QString::fromUtf8(kHelpNotOpened), AppName(), ui::Icon::kStop);
    }
    return;
  }
  ui::ShowMessage(this, QString::fromUtf8(kHelpNotFound), AppName(), ui::Icon::kStop);
}

void CTest3Dlg::SelectAnswerFont() {
  const auto chosen = ui::ChooseFont(this, answerList_->font());
  if (!chosen) return;
  answerFont_ = *chosen;
  answerFontRecord_ = LogFontOf(*chosen, logicalDpiY());
  answerList_->setFont(*chosen);
  answerList_->Refit();
}

void CTest3Dlg::ApplyTreeFont() {
  QFont fixed = tree_->font();
  fixed.setFamily(QString::fromUtf8(kFixedFace));
  tree_->setFont(fixed);
}

void CTest3Dlg::OnTreeFocus(bool gained) {
  PostSetAccel(acceleratorRouter_, this, gained ? tableTree_ : tableUnfocused_);
}

void CTest3Dlg::keyPressEvent(QKeyEvent* event) {
  const bool plain =
      event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    accept();
    return;
  }
  if (plain && event->key() == Qt::Key_F1) {
    ShowHelp();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool CTest3Dlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched != client_) return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Resize:
      OnClientResized();
      break;
    case QEvent::MouseMove:
      OnMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
      break;
    case QEvent::MouseButtonPress:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OnLeftButtonDown(static_cast<QMouseEvent*>(event)->position().toPoint());
      }
      break;
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) {
        OnLeftButtonUp(mouse->position().toPoint(), mouse->modifiers() & Qt::ControlModifier);
      }
      break;
    }
    default:
      break;
  }
  return false;
}

void CTest3Dlg::OnClientResized() {
  // Qt also reports the size a window is first shown with; only a real change lays out.
  if (isMinimized() || client_->size() == layout_.ClientSize()) return;
  layout_.Layout(0);
  layout_.Measure();
}

void CTest3Dlg::OnMouseMove(QPoint point) {
  const bool inZone = layout_.SplitterZone().StrictlyContains(point.x(), point.y());
  switch (captureMode_) {
    case kIdle:
      if (inZone) {
        captureMode_ = kOverSplitter;
        CaptureMouse();
      }
      break;
    case kOverSplitter:
      if (!inZone) {
        captureMode_ = kIdle;
        ReleaseCapture();
      }
      break;
    case kDraggingSplitter:
      layout_.DragTo(point.x());
      break;
    case kDraggingItem:
      emit treeDragMoved(point);
      break;
    default:
      captureMode_ = kIdle;
      ReleaseCapture();
      break;
  }
}

void CTest3Dlg::OnLeftButtonDown(QPoint point) {
  if (captureMode_ != kOverSplitter) return;
  layout_.BeginDrag(point.x());
  captureMode_ = kDraggingSplitter;
}

void CTest3Dlg::OnLeftButtonUp(QPoint point, bool ctrlHeld) {
  if (captureMode_ == kDraggingSplitter) {
    captureMode_ = kIdle;
    ReleaseCapture();
    layout_.DragTo(point.x());
    repaint();
  } else if (captureMode_ == kDraggingItem) {
    captureMode_ = kIdle;
    emit treeDropped(point, ctrlHeld);
    ReleaseCapture();
  }
}

void CTest3Dlg::CaptureMouse() {
  if (client_->isVisible()) client_->grabMouse(Qt::SplitHCursor);
}

void CTest3Dlg::ReleaseCapture() {
  if (QWidget::mouseGrabber() == client_) client_->releaseMouse();
}

}  // namespace vexa
