// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/features/LinkControl.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <chrono>
#include <limits>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/link/LinkMessages.h"
#include "core/settings/Preferences.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdTree.h"
#include "gui/controls/ComboBoxSum.h"
#include "gui/features/LinkEvents.h"
#include "gui/seam/QtText.h"
#include "gui/seam/UiSeam.h"
#include "gui/window/Test3Dlg.h"

namespace vexa {
namespace {

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}
QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

constexpr char kLogFilter[] = "ﾛｸﾞﾌｧｲﾙ (*.log)";
// The answer list takes new lines at most this often; a line after a quiet spell is shown at
// once.
constexpr int kShowIntervalMs = 100;

}  // namespace

LinkControl::LinkControl(CTest3Dlg& window, Workspace& work, LinkEvents& events,
                         Preferences& preferences)
    : window_(window), work_(work), preferences_(preferences) {
  showTimer_.setSingleShot(true);
  // Lines are shown no more often than this anyway: hearing of a stream more often would only
  // log it in smaller pieces, at the cost of a wake each time.
  work_.SetAnnounceWindow(std::chrono::milliseconds(kShowIntervalMs));
  connect(&showTimer_, &QTimer::timeout, this, &LinkControl::ShowPendingLines);
  connect(&events, &LinkEvents::recordsReady, this, &LinkControl::DrainReceived);
  connect(&events, &LinkEvents::sendFailed, this, &LinkControl::OnSendFailed);
  connect(&events, &LinkEvents::deviceLost, this, &LinkControl::OnDeviceLost);
  connect(&events, &LinkEvents::linkStateChanged, this, &LinkControl::OnLinkStateChanged);
  connect(&events, &LinkEvents::answerTimerFailed, this, [] {
    ui::ShowMessage(nullptr, Utf8(kAnswerTimerErrorMessage), QString(), ui::Icon::kStop);
  });
  AttachCommands();
}

LinkControl::~LinkControl() {
  window_.Tree().SetDoubleClickHandler(nullptr);
  work_.Disconnect();
}

void LinkControl::AttachCommands() {
  window_.SetCommandHandler(kCmdConnect, [this] { Connect(); });
  window_.SetCommandHandler(kCmdDisconnect, [this] { Disconnect(); });
  window_.SetCommandHandler(kCmdSend, [this] { Send(); });
  window_.SetCommandHandler(kCmdSendHex, [this] {
    window_.SetCommandCheck(kCmdSendHex, !window_.IsCommandChecked(kCmdSendHex));
  });
  window_.SetCommandHandler(kCmdReceiveHex, [this] {
    window_.SetCommandCheck(kCmdReceiveHex, !window_.IsCommandChecked(kCmdReceiveHex));
  });
  window_.SetCommandHandler(kCmdLog, [this] { ToggleLog(); });
  window_.SetCommandHandler(kCmdReconnect, [this] { ToggleReconnect(); });
  window_.SetCommandCheck(kCmdReconnect, preferences_.ReadReconnect().value_or(false));
  CCmdTree& tree = window_.Tree();
  connect(&tree, &CCmdTree::focusGained, this, &LinkControl::ShowSelectedItem);
  connect(&tree, &QTreeWidget::itemSelectionChanged, this, &LinkControl::ShowSelectedItem);
  tree.SetDoubleClickHandler([this] { return OnDoubleClick(); });
  connect(&window_.CommandBox(), qOverload<int>(&QComboBox::activated), this,
          &LinkControl::OnHistoryEntryChosen);
}

void LinkControl::Connect() {
  const CommSettings& settings = work_.Settings();
  work_.SetReconnect(window_.IsCommandChecked(kCmdReconnect));
  if (work_.Connect() != OpenResult::kOk) {
    ui::ShowMessage(&window_, Utf8(OpenFailedMessage(settings.portName)), Utf8(kAppName),
                    ui::Icon::kStop);
    return;
  }
  window_.SetConnectionSuffix(
      QStringLiteral(" %1:%2bps").arg(ToQString(settings.portName)).arg(settings.baudRate));
  window_.SetCommandCheck(kCmdReceiveHex, settings.hexDisplayDefault != 0);
  window_.AnswerList().Reset();
  window_.AnswerList().setEnabled(true);
  window_.CommandBox().setEnabled(true);
  window_.Tree().setFocus();
  window_.ApplyConnectedEnabling();
  UpdateStatusText();  // a new connection has dropped nothing yet
  work_.StartSending();
  ShowSelectedItem();
}

void LinkControl::Disconnect() {
  window_.SetConnectionSuffix(QString());
  work_.Disconnect();
  ShowPendingLines();
  UpdateStatusText();  // no longer waiting for a device
  window_.CommandBox().setEnabled(false);
  window_.Tree().setFocus();
  window_.ApplyDisconnectedEnabling();
}

void LinkControl::Send() {
  if (!work_.IsConnected() || work_.IsAwaitingDevice()) {
    ui::Beep();
    return;
  }
  const std::string text = ToCp932(window_.CommandBox().currentText());
  if (!text.empty()) {
    SendCommandText(text);
  } else {
    SendSelectedItem();
  }
}

void LinkControl::ReportAndDisconnect(const char* message) {
  ui::ShowMessage(&window_, Utf8(message), Utf8(kAppName), ui::Icon::kStop);
  Disconnect();
}

void LinkControl::SendCommandText(const std::string& text) {
  const ItemKind kind = window_.IsCommandChecked(kCmdSendHex) ? kKindHex : kKindText;
  const SendTextResult result = work_.QueueTextSend(text, kind);
  switch (result.outcome) {
    case SendOutcome::kOk:
      AddCommandHistory(text, kind);
      break;
    case SendOutcome::kNotHex:
    case SendOutcome::kEscapeError:
      ui::ShowMessage(&window_, Utf8(ConversionFailedMessage(result.outcome, text)),
                      Utf8(kSendErrorCaption), ui::Icon::kStop);
      break;
    case SendOutcome::kWriteFailed:
      ReportAndDisconnect(kWriteFailedMessage);
      break;
    case SendOutcome::kLinkDown:
      ui::Beep();
      break;
    case SendOutcome::kNothing:
      break;
  }
}

void LinkControl::SendSelectedItem() {
  const ItemHandle selected = window_.Tree().SelectedItem();
  if (!selected) return;
  window_.AnswerList().viewport()->update();
  const CAttr& item = *window_.Tree().Record(selected);
  switch (work_.QueueItemSend(item)) {
    case SendOutcome::kOk:
      AddCommandHistory(item.sendText, item.sendKind);
      break;
    case SendOutcome::kWriteFailed:
      ReportAndDisconnect(kWriteFailedMessage);
      break;
    case SendOutcome::kLinkDown:
      ui::Beep();
      break;
    default:  // a heading sends nothing
      break;
  }
}

bool LinkControl::OnDoubleClick() {
  if (work_.IsConnected()) {
    SendSelectedItem();
    return true;
  }
  ui::Beep();
  return false;
}

void LinkControl::AddCommandHistory(const std::string& text, int kind) {
  CComboBoxSum& box = window_.CommandBox();
  const QString shown = ToQString(text);
  // Case-insensitive for Latin letters, as the box's own exact-string search.
  const int found = box.findText(shown, Qt::MatchFixedString);
  if (found >= 0) {
    box.RemoveEntry(found);
    box.SetCommandText(shown);
  }
  box.InsertEntry(0, shown, kind);
}

void LinkControl::OnHistoryEntryChosen(int index) {
  if (index < 0) return;
  window_.SetCommandCheck(kCmdSendHex, window_.CommandBox().itemData(index).toInt() == kKindHex);
  window_.CommandBox().SelectFromList();
}

void LinkControl::ShowSelectedItem() {
  ShowItemInCommandBox(window_.Tree().SelectedItem());
}

void LinkControl::ShowItemInCommandBox(ItemHandle handle) {
  if (!work_.IsConnected() || !handle) return;
  const CAttr& item = *window_.Tree().Record(handle);
  if (item.sendText.empty()) return;
  CComboBoxSum& box = window_.CommandBox();
  box.lineEdit()->setMaxLength(std::numeric_limits<int>::max());
  box.SetCommandText(ToQString(item.sendText));
  if (item.sendKind == kKindHex) window_.SetCommandCheck(kCmdSendHex, true);
  if (item.sendKind == kKindText) window_.SetCommandCheck(kCmdSendHex, false);
}

void LinkControl::DrainReceived() {
  hexShown_ = window_.IsCommandChecked(kCmdReceiveHex);
  if (work_.DrainReceived(*this) == DrainResult::kLogFailed) EndLogAfterWriteFailure();
  if (!pendingLines_.Empty() && !showTimer_.isActive()) {
    const qint64 since = lastShown_.isValid() ? lastShown_.elapsed() : kShowIntervalMs;
    if (since >= kShowIntervalMs) {
      ShowPendingLines();
    } else {
      showTimer_.start(static_cast<int>(kShowIntervalMs - since));
    }
  }
  UpdateStatusText();
}

void LinkControl::ShowReceivedLine(std::string_view line, WallTime arrival) {
  pendingLines_.Add(line, work_.Settings().receiveTerminator, hexShown_, arrival,
                    RecordOrigin::kReceived);
}

void LinkControl::ShowSentLine(std::string_view bytes, const RecordTag& tag) {
  pendingLines_.Add(bytes, work_.Settings().sendTerminator, hexShown_, tag.time, tag.origin);
}

void LinkControl::ShowPendingLines() {
  showTimer_.stop();
  if (pendingLines_.Empty()) return;
  window_.AnswerList().AddLines(pendingLines_);
  pendingLines_.Clear();
  lastShown_.start();
}

void LinkControl::OnSendFailed() {
  // A report from a connection that has ended since is stale.
  if (work_.IsConnected()) ReportAndDisconnect(kWriteFailedMessage);
}

void LinkControl::OnDeviceLost() {
  if (!work_.IsConnected()) return;
  DrainReceived();  // what arrived before the loss is shown and logged first
  ReportAndDisconnect(kDeviceLostMessage);
}

void LinkControl::OnLinkStateChanged() {
  DrainReceived();  // what arrived before the loss comes first
  switch (work_.FollowLink()) {
    case LinkChange::kReconnected: {
      const WallTime now = WallClockNow();
      // Plain unless sent lines are shown: then it stands apart from the received lines.
      pendingLines_.AddShown(
          Utf8ToCp932(ReconnectedNote(now)), now,
          work_.SentLinesShown() ? RecordOrigin::kNote : RecordOrigin::kReceived);
      ShowPendingLines();
      break;
    }
    case LinkChange::kWaiting:
    case LinkChange::kNone:
      break;
  }
  UpdateStatusText();
  // Turned off just as the device went: nobody wants to wait for it.
  if (work_.IsAwaitingDevice() && !window_.IsCommandChecked(kCmdReconnect)) Disconnect();
}

void LinkControl::ToggleReconnect() {
  const bool on = !window_.IsCommandChecked(kCmdReconnect);
  window_.SetCommandCheck(kCmdReconnect, on);
  preferences_.WriteReconnect(on);
  work_.SetReconnect(on);
  // The operator no longer wants to wait: the connection ends as a lost device ends it.
  if (!on && work_.IsAwaitingDevice()) Disconnect();
}

void LinkControl::ToggleLog() {
  if (!window_.IsCommandChecked(kCmdLog)) {
    QString fileName;
    if (ChooseLogFile(fileName)) {
      logName_ = fileName;
      UpdateStatusText();
      if (OpenLog()) {
        window_.SetCommandCheck(kCmdLog, true);
        return;
      }
    }
  }
  work_.CloseLog();
  window_.SetCommandCheck(kCmdLog, false);
  logName_.clear();
  UpdateStatusText();
}

bool LinkControl::ChooseLogFile(QString& fileName) {
  ui::FileRequest request;
  request.mode = ui::FileRequest::Mode::kSave;
  request.filter = Utf8(kLogFilter);
  request.initialName = QStringLiteral("*.log");
  if (!logFileName_.empty()) {
    request.folder = QFileInfo(QFile::decodeName(logFileName_.c_str())).absolutePath();
  }
  const std::optional<QString> chosen = ui::ChooseFile(&window_, request);
  if (!chosen) return false;
  logFileName_ = QFile::encodeName(*chosen).toStdString();
  fileName = QFileInfo(*chosen).fileName();
  return true;
}

bool LinkControl::OpenLog() {
  if (work_.OpenLog(logFileName_)) return true;
  ui::ShowMessage(&window_, Utf8(kLogOpenFailedMessage), Utf8(kAppName), ui::Icon::kStop);
  return false;
}

void LinkControl::ReadLogName() {
  logFileName_ = preferences_.ReadLogName().value_or(std::string());
}

void LinkControl::StopLogging() {
  work_.CloseLog();
  if (!logFileName_.empty()) preferences_.WriteLogName(logFileName_);
}

void LinkControl::EndLogAfterWriteFailure() {
  // The log has closed itself; nothing may claim that recording goes on.
  window_.SetCommandCheck(kCmdLog, false);
  logName_.clear();
}

void LinkControl::UpdateStatusText() {
  QString status;
  if (work_.IsAwaitingDevice()) status = Utf8(AwaitingDeviceStatus(work_.Settings().portName));
  if (!logName_.isEmpty()) {
    if (!status.isEmpty()) status += QLatin1Char(' ');
    status += QStringLiteral("記録中(%1)").arg(logName_);
  }
  const DroppedRecords dropped = work_.Dropped();
  if (dropped.bytes != 0) {
    if (!status.isEmpty()) status += QLatin1Char(' ');
    status += QStringLiteral("受信ﾃﾞｰﾀ欠落 %1 ﾊﾞｲﾄ").arg(dropped.bytes);
  }
  if (window_.StatusText().text() != status) window_.StatusText().setText(status);
}

}  // namespace vexa
