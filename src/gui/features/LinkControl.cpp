#include "gui/features/LinkControl.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <vector>

#include "core/CommandIds.h"
#include "gui/window/Test3Dlg.h"
#include "core/codec/Codec.h"
#include "gui/seam/QtText.h"
#include "gui/controls/CmdTree.h"
#include "gui/seam/UiSeam.h"
#include "core/link/LinkMessages.h"
#include "gui/controls/ComboBoxSum.h"
#include "gui/controls/AnswerList.h"

namespace vexa {
namespace {

QString Utf8(const char* text) { return QString::fromUtf8(text); }
QString Utf8(const std::string& text) { return QString::fromStdString(text); }

constexpr char kLogFilter[] = "ﾛｸﾞﾌｧｲﾙ (*.log)";
// The answer list takes new lines at most this often; a line after a quiet spell is shown at
// once.
constexpr int kShowIntervalMs = 100;

}  // namespace

LinkControl::LinkControl(CTest3Dlg& dialog)
    : dialog_(dialog), session_(dialog.Tree(), *this, dialog.Prefs().PortMappingLookup()) {
  showTimer_.setSingleShot(true);
  connect(&showTimer_, &QTimer::timeout, this, &LinkControl::ShowPendingLines);
  AttachCommands();
}

LinkControl::~LinkControl() { session_.Disconnect(); }

void LinkControl::AttachCommands() {
  dialog_.SetCommandHandler(kCmdConnect, [this] { Connect(); });
  dialog_.SetCommandHandler(kCmdDisconnect, [this] { dialog_.Disconnect(); });
  dialog_.SetCommandHandler(kCmdSendHex, [this] {
    dialog_.SetCommandCheck(kCmdSendHex, !dialog_.IsCommandChecked(kCmdSendHex));
  });
  dialog_.SetCommandHandler(kCmdReceiveHex, [this] {
    dialog_.SetCommandCheck(kCmdReceiveHex, !dialog_.IsCommandChecked(kCmdReceiveHex));
  });
  dialog_.SetCommandHandler(kCmdLog, [this] { ToggleLog(); });
  DialogHooks& hooks = dialog_.Hooks();
  hooks.disconnectLink = [this] { DisconnectLink(); };
  hooks.send = [this] { Send(); };
  hooks.sendSelectedItem = [this] { SendSelectedItem(); };
  hooks.showItemInCommandBox = [this] { ShowItemInCommandBox(dialog_.Tree().SelectedItem()); };
  hooks.stopLogging = [this] { CloseLog(); };
  connect(&dialog_.CommandBox(), qOverload<int>(&QComboBox::activated), this,
          &LinkControl::OnHistoryEntryChosen);
}

void LinkControl::Connect() {
  const CommSettings& settings = dialog_.Settings();
  if (session_.Open(settings) != 0) {
    ui::ShowMessage(&dialog_, Utf8(OpenFailedMessage(settings.portName)), Utf8(kAppName),
                    ui::Icon::kStop);
    return;
  }
  dialog_.SetConnectionSuffix(
      QStringLiteral(" %1:%2bps").arg(ToQString(settings.portName)).arg(settings.baudRate));
  dialog_.SetCommandCheck(kCmdReceiveHex, settings.hexDisplayDefault != 0);
  dialog_.AnswerList().Reset();
  dialog_.AnswerList().setEnabled(true);
  dialog_.CommandBox().setEnabled(true);
  dialog_.Tree().setFocus();
  dialog_.ApplyConnectedEnabling();
  dialog_.SetConnected(true);
  UpdateStatusText();  // a new connection has dropped nothing yet
  ShowItemInCommandBox(dialog_.Tree().SelectedItem());
  session_.StartSending();
}

void LinkControl::DisconnectLink() {
  dialog_.SetConnectionSuffix(QString());
  session_.Disconnect();
  ShowPendingLines();
}

void LinkControl::Send() {
  const std::string text = ToCp932(dialog_.CommandBox().currentText());
  if (!text.empty()) {
    SendCommandText(text);
  } else {
    SendSelectedItem();
  }
}

void LinkControl::ReportAndDisconnect(const char* message) {
  ui::ShowMessage(&dialog_, Utf8(message), Utf8(kAppName), ui::Icon::kStop);
  dialog_.Disconnect();
}

void LinkControl::SendCommandText(const std::string& text) {
  const CommSettings& settings = dialog_.Settings();
  const ItemKind kind = dialog_.IsCommandChecked(kCmdSendHex) ? kKindHex : kKindText;
  const SendTextResult result =
      session_.SendCommandText(text, kind, settings.sendTerminator, settings.useEscapes != 0);
  switch (result.outcome) {
    case kSendOk:
      AddCommandHistory(text, kind);
      break;
    case kSendNotHex:
    case kSendEscapeError:
      ui::ShowMessage(&dialog_, Utf8(ConversionFailedMessage(result.outcome, text)),
                      Utf8(kSendErrorCaption), ui::Icon::kStop);
      break;
    case kSendWriteFailed:
      ReportAndDisconnect(kWriteFailedMessage);
      break;
    case kSendNothing:
      break;
  }
}

void LinkControl::SendSelectedItem() {
  const ItemHandle selected = dialog_.Tree().SelectedItem();
  if (!selected) return;
  dialog_.AnswerList().viewport()->update();
  const CAttr& item = *dialog_.Tree().Record(selected);
  switch (session_.SendItem(item)) {
    case kSendOk:
      AddCommandHistory(item.sendText, item.sendKind);
      break;
    case kSendWriteFailed:
      ReportAndDisconnect(kWriteFailedMessage);
      break;
    default:  // a heading sends nothing
      break;
  }
}

void LinkControl::AddCommandHistory(const std::string& text, int kind) {
  CComboBoxSum& box = dialog_.CommandBox();
  const QString shown = ToQString(text);
  // Case-insensitive for Latin letters, as the box's own exact-string search.
  const int found = box.findText(shown, Qt::MatchFixedString);
  if (found >= 0) {
    box.removeItem(found);
    box.SetCommandText(shown);
  }
  box.insertItem(0, shown, kind);
}

void LinkControl::OnHistoryEntryChosen(int index) {
  if (index < 0) return;
  dialog_.SetCommandCheck(kCmdSendHex, dialog_.CommandBox().itemData(index).toInt() == kKindHex);
  dialog_.CommandBox().SelectFromList();
}

void LinkControl::ShowItemInCommandBox(ItemHandle handle) {
  if (!dialog_.IsConnected() || !handle) return;
  const CAttr& item = *dialog_.Tree().Record(handle);
  if (item.sendText.empty()) return;
  CComboBoxSum& box = dialog_.CommandBox();
  box.lineEdit()->setMaxLength(std::numeric_limits<int>::max());
  box.SetCommandText(ToQString(item.sendText));
  if (item.sendKind == kKindHex) dialog_.SetCommandCheck(kCmdSendHex, true);
  if (item.sendKind == kKindText) dialog_.SetCommandCheck(kCmdSendHex, false);
}

void LinkControl::DrainReceived() {
  const CommSettings& settings = dialog_.Settings();
  const bool hex = dialog_.IsCommandChecked(kCmdReceiveHex);
  const bool logging = log_.IsOpen();
  session_.DrainReceived([&](std::string_view record) {
    SplitReceivedRecord(record, settings.receiveTerminator, [&](std::string_view line) {
      log_.Append(line);
      session_.AnswerReceivedLine(line);
      pendingLines_.push_back(hex ? HexDisplay(line) : TextDisplay(line, settings.receiveTerminator));
    });
  });
  // Everything received is on disk before the window goes back to its events.
  if (logging && !log_.Flush()) EndLogAfterWriteFailure();
  if (!pendingLines_.empty() && !showTimer_.isActive()) {
    const qint64 since = lastShown_.isValid() ? lastShown_.elapsed() : kShowIntervalMs;
    if (since >= kShowIntervalMs) {
      ShowPendingLines();
    } else {
      showTimer_.start(static_cast<int>(kShowIntervalMs - since));
    }
  }
  UpdateStatusText();
}

void LinkControl::ShowPendingLines() {
  showTimer_.stop();
  if (pendingLines_.empty()) return;
  dialog_.AnswerList().AddLines(pendingLines_);
  pendingLines_.clear();
  lastShown_.start();
}

void LinkControl::ToggleLog() {
  if (!dialog_.IsCommandChecked(kCmdLog)) {
    QString fileName;
    if (ChooseLogFile(fileName)) {
      logName_ = fileName;
      UpdateStatusText();
      if (OpenLog()) {
        dialog_.SetCommandCheck(kCmdLog, true);
        return;
      }
    }
  }
  CloseLog();
  dialog_.SetCommandCheck(kCmdLog, false);
  logName_.clear();
  UpdateStatusText();
}

bool LinkControl::ChooseLogFile(QString& fileName) {
  ui::FileRequest request;
  request.mode = ui::FileRequest::Mode::kSave;
  request.filter = Utf8(kLogFilter);
  request.initialName = QStringLiteral("*.log");
  const std::string& last = dialog_.LogFileName();
  if (!last.empty()) request.folder = QFileInfo(QFile::decodeName(last.c_str())).absolutePath();
  const std::optional<QString> chosen = ui::ChooseFile(&dialog_, request);
  if (!chosen) return false;
  dialog_.LogFileName() = QFile::encodeName(*chosen).toStdString();
  fileName = QFileInfo(*chosen).fileName();
  return true;
}

bool LinkControl::OpenLog() {
  if (log_.Open(dialog_.LogFileName())) return true;
  ui::ShowMessage(&dialog_, Utf8(kLogOpenFailedMessage), Utf8(kAppName), ui::Icon::kStop);
  return false;
}

void LinkControl::CloseLog() { log_.Close(); }

void LinkControl::EndLogAfterWriteFailure() {
  // The log has closed itself; nothing may claim that recording goes on.
  dialog_.SetCommandCheck(kCmdLog, false);
  logName_.clear();
}

void LinkControl::UpdateStatusText() {
  QString status;
  if (!logName_.isEmpty()) status = QStringLiteral("記録中(%1)").arg(logName_);
  const DroppedRecords dropped = session_.Dropped();
  if (dropped.bytes != 0) {
    if (!status.isEmpty()) status += QLatin1Char(' ');
    status += QStringLiteral("受信ﾃﾞｰﾀ欠落 %1 ﾊﾞｲﾄ").arg(dropped.bytes);
  }
  if (dialog_.StatusText().text() != status) dialog_.StatusText().setText(status);
}

void LinkControl::Post(LinkEvent type) {
  QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(type)));
}

void LinkControl::RecordsReady() { Post(kRecordsReadyEvent); }
void LinkControl::SendFailed() { Post(kSendErrorEvent); }
void LinkControl::DeviceLost() { Post(kDeviceLostEvent); }
void LinkControl::AnswerTimerFailed() { Post(kAnswerTimerErrorEvent); }

bool LinkControl::event(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case kRecordsReadyEvent:
      DrainReceived();
      return true;
    case kSendErrorEvent:
      // A report from a connection that has ended since is stale.
      if (dialog_.IsConnected()) ReportAndDisconnect(kWriteFailedMessage);
      return true;
    case kDeviceLostEvent:
      if (dialog_.IsConnected()) {
        DrainReceived();  // what arrived before the loss is shown and logged first
        ReportAndDisconnect(kDeviceLostMessage);
      }
      return true;
    case kAnswerTimerErrorEvent:
      ui::ShowMessage(nullptr, Utf8(kAnswerTimerErrorMessage), QString(), ui::Icon::kStop);
      return true;
    default:
      return QObject::event(event);
  }
}

}  // namespace vexa
