// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's handlers of the command tree: inserting, deleting, editing an item's line
// in the item editor, changing the kind of its data, the default command set, revalidation,
// the command list, the context menu and double clicks. While connected, every change keeps
// the link's timers and automatic answers away from records that are replaced or destroyed.

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <cstdint>

#include "core/files/CommandFile.h"
#include "core/items/ItemTree.h"
#include "gui/controls/CmdEdit.h"
#include "gui/features/FeatureInterfaces.h"

class QTreeWidgetItem;

namespace vexa {

class CCmdTree;
class CTest3Dlg;
class Workspace;

class TreeCommands : public QObject, public TreeReload {
  Q_OBJECT

 public:
  // Attaches the tree's commands to `window`.
  TreeCommands(CTest3Dlg& window, Workspace& work, CommandBoxFeed& commandBox);
  ~TreeCommands() override;

  // The item editor, created once at start-up.
  void CreateItemEditor();

  // 挿入, 子挿入, 削除, 全削除.
  void InsertSibling();
  void InsertChild();
  void DeleteSelected();
  void DeleteAll() override;
  // Opens the item editor over the item's label, unless an edit is open already.
  void BeginItemEdit(ItemHandle item);
  // HEX ﾃﾞｰﾀ (kKindHex) and TEXTﾃﾞｰﾀ (kKindText) on the selected item.
  void SetSelectedItemKind(std::int32_t kind);
  // デフォルト: the built-in set with the default settings, without asking.
  void RestoreDefaultSet();

  void TreeLoaded(const LoadOutcome& outcome, bool showMessages) override;
  void SetDeleteCommandsEnabled(bool on);

  // The item whose line is being edited; nullptr when none.
  ItemHandle EditedItem() const;
  CCmdEdit* Editor() const { return editor_; }

 protected:
  void customEvent(QEvent* event) override;  // EditDoneEvent from the item editor

 private:
  void InsertNewItem(bool asChild);
  void CommitItemEdit();
  void ShowItemMenu(bool onItem, QPoint screenPoint);

  CTest3Dlg& window_;
  CCmdTree& tree_;
  Workspace& work_;
  CommandBoxFeed& commandBox_;
  QPointer<CCmdEdit> editor_;
  QPersistentModelIndex editedItem_;
};

}  // namespace vexa
