#pragma once
// The main window's settings commands: 通信の設定, 編集の設定 and 項目の詳細. Each runs its
// dialog on a copy and takes the result over only when the dialog ended with a change.

#include "core/items/ItemTree.h"
#include "core/settings/CommSettings.h"

class QString;

namespace vexa {

class CAttr;
class CTest3Dlg;

class SettingsCommands {
 public:
  // Attaches the three commands to `dialog`.
  explicit SettingsCommands(CTest3Dlg& dialog);

  void EditCommSettings();
  void EditSettings();
  // The selected item's details; while connected its timers and automatic answer follow.
  void EditItemDetails();

 private:
  QString FileTitle() const;
  // New settings for the window: check marks, modified mark, every item derived again, the
  // command list refilled, and the link's framing from the next record on.
  void AdoptSettings(const CommSettings& settings);
  void ReplaceItemRecord(ItemHandle item, const CAttr& edited);
  void ReplaceCommandListRow(ItemHandle item);

  CTest3Dlg& dialog_;
};

}  // namespace vexa
