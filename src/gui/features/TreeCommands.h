#pragma once
// The main window's handlers of the command tree: inserting, deleting, editing an item's line
// in the item editor, changing the kind of its data, the default command set, revalidation,
// the command list, the context menu and double clicks. While connected, every change keeps
// the link's timers and automatic answers away from records that are replaced or destroyed.

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <cstdint>

#include "core/items/ItemTree.h"
#include "core/files/CommandFile.h"
#include "gui/controls/CmdEdit.h"

class QTreeWidgetItem;

namespace vexa {

class CCmdTree;
class CTest3Dlg;
class CommandListView;

class TreeCommands : public QObject {
  Q_OBJECT

 public:
  // Attaches the tree's commands and start-up steps to `dialog`.
  explicit TreeCommands(CTest3Dlg& dialog);
  ~TreeCommands() override;

  // 挿入, 子挿入, 削除, 全削除.
  void InsertSibling();
  void InsertChild();
  void DeleteSelected();
  void DeleteAll();
  // Opens the item editor over the item's label, unless an edit is open already.
  void BeginItemEdit(ItemHandle item);
  // HEX ﾃﾞｰﾀ (kKindHex) and TEXTﾃﾞｰﾀ (kKindText) on the selected item.
  void SetSelectedItemKind(std::int32_t kind);
  // デフォルト: the built-in set with the default settings, without asking.
  void RestoreDefaultSet();

  // After the edit or communication settings changed: derive every item again and report
  // data that had to be dropped.
  void RevalidateTree();
  // Refills the command list window from the tree (nothing while there is none).
  void RefillCommandList();
  // After the tree was rebuilt from a file or the default set: the outcome's messages (when
  // asked for), the command list and the greying of 削除 and 全削除.
  void TreeLoaded(const LoadOutcome& outcome, bool showMessages);
  void SetDeleteCommandsEnabled(bool on);

  // The item whose line is being edited; nullptr when none.
  ItemHandle EditedItem() const;
  CCmdEdit* Editor() const { return editor_; }

 protected:
  void customEvent(QEvent* event) override;  // EditDoneEvent from the item editor

 private:
  void CreateItemEditor();
  void InsertNewItem(bool asChild);
  void CommitItemEdit();
  void ShowItemMenu(bool onItem, QPoint screenPoint);
  bool OnDoubleClick();
  void ReplaceRecord(ItemHandle item, const CAttr& copy);
  void ShowItemInCommandBox();
  void MarkModified();
  CommandListView* ShownCommandList() const;

  CTest3Dlg& dialog_;
  CCmdTree& tree_;
  QPointer<CCmdEdit> editor_;
  QPersistentModelIndex editedItem_;
};

}  // namespace vexa
