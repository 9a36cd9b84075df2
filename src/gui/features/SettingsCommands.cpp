// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/features/SettingsCommands.h"

#include <QFile>
#include <QPersistentModelIndex>

#include "core/CommandIds.h"
#include "core/files/CommandFile.h"
#include "core/items/CommandListView.h"
#include "core/workspace/Workspace.h"
#include "gui/controls/CmdTree.h"
#include "gui/dialogs/CmdAttr.h"
#include "gui/dialogs/FilePropaty.h"
#include "gui/dialogs/Propaty.h"
#include "gui/seam/UiSeam.h"
#include "gui/window/Test3Dlg.h"

namespace vexa {

SettingsCommands::SettingsCommands(CTest3Dlg& window, Workspace& work, CommandBoxFeed& commandBox)
    : window_(window), work_(work), commandBox_(commandBox) {
  window.SetCommandHandler(kCmdCommSettings, [this] { EditCommSettings(); });
  window.SetCommandHandler(kCmdEditSettings, [this] { EditSettings(); });
  window.SetCommandHandler(kCmdItemDetails, [this] { EditItemDetails(); });
}

QString SettingsCommands::FileTitle() const {
  return QFile::decodeName(QByteArray::fromStdString(work_.FileTitle()));
}

void SettingsCommands::EditCommSettings() {
  Cpropaty propaty(&window_);
  propaty.SetUp(work_.Settings(), FileTitle(), work_.IsConnected());
  if (propaty.exec() == QDialog::Accepted) AdoptSettings(propaty.Settings());
}

void SettingsCommands::EditSettings() {
  CFilePropaty filePropaty(&window_);
  filePropaty.InitSettings(work_.Settings(), FileTitle());
  if (filePropaty.exec() == QDialog::Accepted) AdoptSettings(filePropaty.Settings());
}

void SettingsCommands::AdoptSettings(const CommSettings& settings) {
  work_.SetSettings(settings);
  if (settings.hexInputDefault) window_.SetCommandCheck(kCmdSendHex, true);
  if (settings.hexDisplayDefault) window_.SetCommandCheck(kCmdReceiveHex, true);
  work_.MarkModified();
  if (work_.RevalidateItems()) ui::ShowFailure(&window_, kInvalidDataMessage, kAppName);
  work_.RefillCommandList();
}

void SettingsCommands::EditItemDetails() {
  CCmdTree& tree = window_.Tree();
  const ItemHandle selected = tree.SelectedItem();
  if (!selected) return;
  const QPersistentModelIndex kept(tree.IndexOf(selected));
  CCmdAttr details(&window_);
  if (details.Run(*tree.Record(selected), work_.Settings()) != QDialog::Accepted) return;
  const ItemHandle item = tree.ItemAt(kept);
  if (!item) return;  // gone while the dialog was open
  work_.ReplaceItemDetails(item, details.Item());
  ReplaceCommandListRow(item);
  commandBox_.ShowSelectedItem();
  work_.MarkModified();
}

// Items without command data have no row in the list.
void SettingsCommands::ReplaceCommandListRow(ItemHandle item) {
  CommandListView* list = work_.ShownCommandList();
  if (!list) return;
  list->RemoveRow(item);
  const CAttr& record = *window_.Tree().Record(item);
  if (!record.sendText.empty()) list->AddRow(item, record);
}

}  // namespace vexa
