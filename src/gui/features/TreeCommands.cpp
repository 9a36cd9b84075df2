// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/features/TreeCommands.h"

#include "core/CommandIds.h"
#include "core/items/CommandListView.h"
#include "core/items/ItemEdit.h"
#include "core/workspace/Workspace.h"
#include "gui/controls/CmdEdit.h"
#include "gui/controls/CmdTree.h"
#include "gui/seam/UiSeam.h"
#include "gui/window/Test3Dlg.h"

namespace vexa {
namespace {

constexpr char kNotHexQuestion[] = "16進数にできません。テキストデータとしますか？";
constexpr char kEscapeErrorInLine[] = "ｴｽｹｰﾌﾟ文字の誤りです。";
constexpr char kSendErrorCaption[] = "送信ｴﾗｰ";
constexpr char kCannotMakeHex[] = "HEXにできません";
constexpr char kCannotConvertEscapes[] = "ｴｽｹｰﾌﾟ文字が変換できません";

}  // namespace

TreeCommands::TreeCommands(CTest3Dlg& window, Workspace& work, CommandBoxFeed& commandBox)
    : window_(window), tree_(window.Tree()), work_(work), commandBox_(commandBox) {
  window.SetCommandHandler(kCmdInsert, [this] { InsertSibling(); });
  window.SetCommandHandler(kCmdInsertChild, [this] { InsertChild(); });
  window.SetCommandHandler(kCmdDelete, [this] { DeleteSelected(); });
  window.SetCommandHandler(kCmdDeleteAll, [this] { DeleteAll(); });
  window.SetCommandHandler(kCmdEditItem, [this] { BeginItemEdit(tree_.SelectedItem()); });
  window.SetCommandHandler(kCmdSelectFirst, [this] { tree_.SelectFirstItem(); });
  window.SetCommandHandler(kCmdSelectLast, [this] { tree_.SelectLastItem(); });
  window.SetCommandHandler(kCmdHexData, [this] { SetSelectedItemKind(kKindHex); });
  window.SetCommandHandler(kCmdTextData, [this] { SetSelectedItemKind(kKindText); });
  window.SetCommandHandler(kCmdDefaultSet, [this] { RestoreDefaultSet(); });

  connect(&tree_, &CCmdTree::labelEditRequested, this,
          [this](QTreeWidgetItem* item) { BeginItemEdit(CCmdTree::HandleOf(item)); });
  connect(&tree_, &CCmdTree::itemMenuRequested, this, &TreeCommands::ShowItemMenu);
}

TreeCommands::~TreeCommands() {
  delete editor_;  // before the window's children go: it reports to this object
}

void TreeCommands::CreateItemEditor() {
  if (!editor_) editor_ = new CCmdEdit(&window_, this);
}

ItemHandle TreeCommands::EditedItem() const {
  return tree_.ItemAt(editedItem_);
}

void TreeCommands::SetDeleteCommandsEnabled(bool on) {
  window_.SetCommandEnable(kCmdDelete, on);
  window_.SetCommandEnable(kCmdDeleteAll, on);
}

void TreeCommands::InsertSibling() {
  InsertNewItem(false);
}

void TreeCommands::InsertChild() {
  InsertNewItem(true);
}

void TreeCommands::InsertNewItem(bool asChild) {
  const ItemHandle selected = tree_.SelectedItem();
  if (!selected) {
    if (!tree_.IsEmpty()) return;
    SetDeleteCommandsEnabled(true);
    tree_.InsertNewItem(nullptr, nullptr, kKindNone);
  } else if (asChild) {
    tree_.InsertNewItem(selected, nullptr, kKindNone);
  } else {
    tree_.InsertNewItem(tree_.Parent(selected), selected, kKindNone);
  }
  work_.MarkModified();
}

void TreeCommands::DeleteSelected() {
  const ItemHandle selected = tree_.SelectedItem();
  if (!selected) return;
  if (CommandListView* list = work_.CommandList()) {
    ForSubtree(tree_, selected, [&](ItemHandle item) {
      if (!tree_.Record(item)->sendText.empty()) list->RemoveRow(item);
    });
  }
  work_.ReleaseItems(selected);
  tree_.DeleteSubtree(selected);
  tree_.setFocus();
  if (tree_.IsEmpty()) SetDeleteCommandsEnabled(false);
  work_.MarkModified();
}

void TreeCommands::DeleteAll() {
  work_.ClearItems();
  SetDeleteCommandsEnabled(false);
  work_.MarkModified();
}

void TreeCommands::BeginItemEdit(ItemHandle item) {
  if (!item || !editor_ || editedItem_.isValid()) return;
  const QRect label = tree_.LabelRect(item);
  editedItem_ = tree_.IndexOf(item);
  editor_->OpenEditor(label, tree_.Record(item)->label);
}

void TreeCommands::customEvent(QEvent* event) {
  if (event->type() != kEditDoneEvent) return;
  if (static_cast<EditDoneEvent*>(event)->Changed()) {
    CommitItemEdit();
  } else {
    editedItem_ = QPersistentModelIndex();
  }
}

void TreeCommands::CommitItemEdit() {
  const ItemHandle item = EditedItem();
  editedItem_ = QPersistentModelIndex();
  if (!item) return;  // deleted while it was edited
  const CommSettings& settings = work_.Settings();
  CAttr copy(*tree_.Record(item));
  const BuildResult result = ApplyEditedLine(copy, editor_->EditedText(), settings);
  if (result == BuildResult::kNotHex) {
    const ui::Answer answer =
        ui::ShowMessage(&window_, QString::fromUtf8(kNotHexQuestion),
                        QString::fromUtf8(kSendErrorCaption), ui::Icon::kStop, ui::Buttons::kYesNo);
    if (answer != ui::Answer::kYes) {
      BeginItemEdit(item);
      return;
    }
    KeepAsText(copy, settings);
  } else if (result == BuildResult::kEscapeError) {
    ui::ShowFailure(&window_, kEscapeErrorInLine, kSendErrorCaption);
    BeginItemEdit(item);
    return;
  }
  const bool hadData = !tree_.Record(item)->sendText.empty();
  work_.ReplaceRecord(item, copy);
  if (CommandListView* list = work_.ShownCommandList()) {
    if (hadData) list->RemoveRow(item);
    if (!copy.sendText.empty()) list->AddRow(item, *tree_.Record(item));
  }
  tree_.SelectItem(item);
  tree_.RecordChanged(item);
  commandBox_.ShowSelectedItem();
  work_.MarkModified();
}

void TreeCommands::SetSelectedItemKind(std::int32_t kind) {
  const ItemHandle item = tree_.SelectedItem();
  if (!item) return;
  CAttr copy(*tree_.Record(item));
  const std::optional<BuildResult> result = ChangeDataKind(copy, kind, work_.Settings());
  if (!result) return;
  if (*result != BuildResult::kOk) {
    ui::ShowFailure(&window_,
                    *result == BuildResult::kNotHex ? kCannotMakeHex : kCannotConvertEscapes,
                    kAppName);
    return;
  }
  work_.ReplaceRecord(item, copy);
  tree_.UpdateItemImage(item);
  commandBox_.ShowSelectedItem();
  work_.MarkModified();
}

void TreeCommands::RestoreDefaultSet() {
  TreeLoaded(work_.LoadDefaultSet(), true);
  work_.MarkModified();
}

void TreeCommands::TreeLoaded(const LoadOutcome& outcome, bool showMessages) {
  if (showMessages && outcome.invalidData) ui::ShowFailure(&window_, kInvalidDataMessage, kAppName);
  if (showMessages && outcome.result != ParseResult::kOk) {
    ui::ShowFailure(&window_, LoadFailureMessage(CommandFileLoad{FileRead::kOk, outcome}),
                    kAppName);
  }
  if (work_.ShownCommandList()) work_.RefillCommandList();
  SetDeleteCommandsEnabled(!tree_.IsEmpty());
}

void TreeCommands::ShowItemMenu(bool onItem, QPoint screenPoint) {
  const ItemHandle item = onItem ? tree_.SelectedItem() : nullptr;
  const std::int32_t kind = item ? tree_.Record(item)->sendKind : kKindNone;
  const int command = tree_.ShowItemMenu(item != nullptr, screenPoint, kind,
                                         window_.IsCommandEnabled(kCmdDefaultSet));
  if (command != 0) window_.ExecuteCommand(command);
}

}  // namespace vexa
