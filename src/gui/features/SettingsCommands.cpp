#include "gui/features/SettingsCommands.h"

#include <QFile>
#include <QPersistentModelIndex>
#include <mutex>

#include "core/CommandIds.h"
#include "gui/window/Test3Dlg.h"
#include "gui/controls/CmdTree.h"
#include "core/items/CommandListView.h"
#include "gui/features/TreeCommands.h"
#include "gui/features/FileCommands.h"
#include "core/link/LinkSession.h"
#include "gui/dialogs/CmdAttr.h"
#include "gui/dialogs/FilePropaty.h"
#include "gui/dialogs/Propaty.h"

namespace vexa {

SettingsCommands::SettingsCommands(CTest3Dlg& dialog) : dialog_(dialog) {
  dialog.SetCommandHandler(kCmdCommSettings, [this] { EditCommSettings(); });
  dialog.SetCommandHandler(kCmdEditSettings, [this] { EditSettings(); });
  dialog.SetCommandHandler(kCmdItemDetails, [this] { EditItemDetails(); });
}

QString SettingsCommands::FileTitle() const {
  return QFile::decodeName(QByteArray::fromStdString(dialog_.Files().FileTitle()));
}

void SettingsCommands::EditCommSettings() {
  Cpropaty propaty(&dialog_);
  propaty.SetUp(dialog_.Settings(), FileTitle(), dialog_.IsConnected());
  if (propaty.exec() == QDialog::Accepted) AdoptSettings(propaty.Settings());
}

void SettingsCommands::EditSettings() {
  CFilePropaty filePropaty(&dialog_);
  filePropaty.InitSettings(dialog_.Settings(), FileTitle());
  if (filePropaty.exec() == QDialog::Accepted) AdoptSettings(filePropaty.Settings());
}

void SettingsCommands::AdoptSettings(const CommSettings& settings) {
  dialog_.Settings() = settings;
  // The link reads with the framing it was opened with until it is told otherwise.
  if (dialog_.IsConnected()) {
    dialog_.Session().SetReceiveFraming(settings.receiveTerminator, settings.recordLength);
  }
  if (settings.hexInputDefault) dialog_.SetCommandCheck(kCmdSendHex, true);
  if (settings.hexDisplayDefault) dialog_.SetCommandCheck(kCmdReceiveHex, true);
  dialog_.Files().MarkModified();
  dialog_.TreeEditing().RevalidateTree();
  dialog_.TreeEditing().RefillCommandList();
}

void SettingsCommands::EditItemDetails() {
  CCmdTree& tree = dialog_.Tree();
  const ItemHandle selected = tree.SelectedItem();
  if (!selected) return;
  const QPersistentModelIndex kept(tree.IndexOf(selected));
  CCmdAttr details(&dialog_);
  if (details.Run(*tree.Record(selected), dialog_.Settings()) != QDialog::Accepted) return;
  const ItemHandle item = tree.ItemAt(kept);
  if (!item) return;  // gone while the dialog was open
  ReplaceItemRecord(item, details.Item());
  ReplaceCommandListRow(item);
  if (dialog_.Hooks().showItemInCommandBox) dialog_.Hooks().showItemInCommandBox();
  dialog_.Files().MarkModified();
}

// Between stopping and restarting, the item has no timers; its record is replaced under the
// send lock, and no timer is killed while holding it (a kill waits for a running callback,
// which may be waiting for the lock).
void SettingsCommands::ReplaceItemRecord(ItemHandle item, const CAttr& edited) {
  CCmdTree& tree = dialog_.Tree();
  LinkSession& session = dialog_.Session();
  CAttr& record = *tree.Record(item);
  tree.SetDisplayText(item, edited.label);
  session.StopPeriodicTimer(record);
  if (record.receiveLength() != 0) session.RemoveAutoAnswer(record);
  CAttr replacement(edited);
  replacement.repeatTimerId = record.repeatTimerId;
  replacement.answerTimerId = record.answerTimerId;
  {
    std::lock_guard lock(dialog_.SendLock());
    record.Assign(replacement);
  }
  tree.UpdateItemImage(item);
  if (dialog_.IsConnected()) {
    session.StartPeriodicTimer(record);
    if (record.receiveLength() != 0) session.InsertAutoAnswer(record);
  }
}

// Items without command data have no row in the list.
void SettingsCommands::ReplaceCommandListRow(ItemHandle item) {
  CommandListView* list = dialog_.CommandList();
  if (!list || !list->IsShown()) return;
  list->RemoveRow(item);
  const CAttr& record = *dialog_.Tree().Record(item);
  if (!record.sendText.empty()) list->AddRow(item, record);
}

}  // namespace vexa
