// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's settings commands: 通信の設定, 編集の設定 and 項目の詳細. Each runs its
// dialog on a copy and takes the result over only when the dialog ended with a change.

#include "core/items/ItemTree.h"
#include "core/settings/CommSettings.h"
#include "gui/features/FeatureInterfaces.h"

class QString;

namespace vexa {

class CTest3Dlg;
class Workspace;

class SettingsCommands {
 public:
  // Attaches the three commands to `window`.
  SettingsCommands(CTest3Dlg& window, Workspace& work, CommandBoxFeed& commandBox);

  void EditCommSettings();
  void EditSettings();
  // The selected item's details; while connected its timers and automatic answer follow.
  void EditItemDetails();
  // New settings: check marks, modified mark, every item derived again (with a message when
  // data had to be dropped), the command list refilled, and the link's framing from the next
  // record on.
  void AdoptSettings(const CommSettings& settings);

 private:
  QString FileTitle() const;
  void ReplaceCommandListRow(ItemHandle item);

  CTest3Dlg& window_;
  Workspace& work_;
  CommandBoxFeed& commandBox_;
};

}  // namespace vexa
