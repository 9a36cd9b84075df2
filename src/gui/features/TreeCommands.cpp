#include "gui/features/TreeCommands.h"

#include <mutex>

#include "core/CommandIds.h"
#include "gui/window/Test3Dlg.h"
#include "gui/controls/CmdTree.h"
#include "core/items/CommandListView.h"
#include "core/items/DefaultSet.h"
#include "core/items/ItemEdit.h"
#include "core/items/RevalidateTree.h"
#include "gui/features/FileCommands.h"
#include "gui/seam/UiSeam.h"
#include "core/link/LinkSession.h"
#include "gui/controls/CmdEdit.h"

namespace vexa {
namespace {

constexpr char kNotHexQuestion[] = "16進数にできません。テキストデータとしますか？";
constexpr char kEscapeErrorInLine[] = "ｴｽｹｰﾌﾟ文字の誤りです。";
constexpr char kSendErrorCaption[] = "送信ｴﾗｰ";
constexpr char kCannotMakeHex[] = "HEXにできません";
constexpr char kCannotConvertEscapes[] = "ｴｽｹｰﾌﾟ文字が変換できません";

}  // namespace

TreeCommands::TreeCommands(CTest3Dlg& dialog) : dialog_(dialog), tree_(dialog.Tree()) {
  dialog.SetCommandHandler(kCmdInsert, [this] { InsertSibling(); });
  dialog.SetCommandHandler(kCmdInsertChild, [this] { InsertChild(); });
  dialog.SetCommandHandler(kCmdDelete, [this] { DeleteSelected(); });
  dialog.SetCommandHandler(kCmdDeleteAll, [this] { DeleteAll(); });
  dialog.SetCommandHandler(kCmdEditItem, [this] { BeginItemEdit(tree_.SelectedItem()); });
  dialog.SetCommandHandler(kCmdSelectFirst, [this] { tree_.SelectFirstItem(); });
  dialog.SetCommandHandler(kCmdSelectLast, [this] { tree_.SelectLastItem(); });
  dialog.SetCommandHandler(kCmdHexData, [this] { SetSelectedItemKind(kKindHex); });
  dialog.SetCommandHandler(kCmdTextData, [this] { SetSelectedItemKind(kKindText); });
  dialog.SetCommandHandler(kCmdDefaultSet, [this] { RestoreDefaultSet(); });
  dialog.Hooks().createItemImages = [this] { tree_.CreateItemImages(); };
  dialog.Hooks().createItemEditor = [this] { CreateItemEditor(); };

  connect(&tree_, &CCmdTree::labelEditRequested, this,
          [this](QTreeWidgetItem* item) { BeginItemEdit(item); });
  connect(&tree_, &CCmdTree::itemMenuRequested, this, &TreeCommands::ShowItemMenu);
  tree_.SetDoubleClickHandler([this] { return OnDoubleClick(); });
}

TreeCommands::~TreeCommands() {
  tree_.SetDoubleClickHandler(nullptr);
  delete editor_;  // before the window's children go: it reports to this object
}

void TreeCommands::CreateItemEditor() {
  if (!editor_) editor_ = new CCmdEdit(&dialog_, this);
}

ItemHandle TreeCommands::EditedItem() const {
  return tree_.ItemAt(editedItem_);
}

CommandListView* TreeCommands::ShownCommandList() const {
  CommandListView* list = dialog_.CommandList();
  return list && list->IsShown() ? list : nullptr;
}

void TreeCommands::MarkModified() {
  dialog_.Files().MarkModified();
}

void TreeCommands::ShowItemInCommandBox() {
  if (dialog_.IsConnected() && dialog_.Hooks().showItemInCommandBox)
    dialog_.Hooks().showItemInCommandBox();
}

void TreeCommands::SetDeleteCommandsEnabled(bool on) {
  dialog_.SetCommandEnable(kCmdDelete, on);
  dialog_.SetCommandEnable(kCmdDeleteAll, on);
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
  MarkModified();
}

void TreeCommands::DeleteSelected() {
  const ItemHandle selected = tree_.SelectedItem();
  if (!selected) return;
  if (CommandListView* list = dialog_.CommandList()) {
    ForSubtree(tree_, selected, [&](ItemHandle item) {
      if (!tree_.Record(item)->sendText.empty()) list->RemoveRow(item);
    });
  }
  if (dialog_.IsConnected()) {
    dialog_.Session().StopPeriodicTimers(selected);
    dialog_.Session().UnregisterAutoAnswers(selected);
  }
  tree_.DeleteSubtree(selected);
  tree_.setFocus();
  if (tree_.IsEmpty()) SetDeleteCommandsEnabled(false);
  MarkModified();
}

void TreeCommands::DeleteAll() {
  if (dialog_.IsConnected()) {
    LinkSession& session = dialog_.Session();
    session.StopPeriodicTimers(nullptr);
    session.UnregisterAutoAnswers(nullptr);
    session.ClearAutoAnswers();
  }
  tree_.ClearTree();
  if (CommandListView* list = dialog_.CommandList()) list->RemoveAllRows();
  SetDeleteCommandsEnabled(false);
  MarkModified();
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
  const CommSettings& settings = dialog_.Settings();
  CAttr copy(*tree_.Record(item));
  const int result = ApplyEditedLine(copy, editor_->EditedText(), settings);
  if (result == kBuildNotHex) {
    const ui::Answer answer =
        ui::ShowMessage(&dialog_, QString::fromUtf8(kNotHexQuestion),
                        QString::fromUtf8(kSendErrorCaption), ui::Icon::kStop, ui::Buttons::kYesNo);
    if (answer != ui::Answer::kYes) {
      BeginItemEdit(item);
      return;
    }
    KeepAsText(copy, settings);
  } else if (result == kBuildEscapeError) {
    ui::ShowFailure(&dialog_, kEscapeErrorInLine, kSendErrorCaption);
    BeginItemEdit(item);
    return;
  }
  const bool hadData = !tree_.Record(item)->sendText.empty();
  ReplaceRecord(item, copy);
  if (CommandListView* list = ShownCommandList()) {
    if (hadData) list->RemoveRow(item);
    if (!copy.sendText.empty()) list->AddRow(item, *tree_.Record(item));
  }
  tree_.SelectItem(item);
  tree_.RecordChanged(item);
  ShowItemInCommandBox();
  MarkModified();
}

void TreeCommands::ReplaceRecord(ItemHandle item, const CAttr& copy) {
  CAttr& record = *tree_.Record(item);
  // The timers running for the item are the live record's: an answer may have been started
  // while a question was open, after the copy was taken.
  CAttr replacement(copy);
  replacement.repeatTimerId = record.repeatTimerId;
  replacement.answerTimerId = record.answerTimerId;
  // A timer callback may be writing this item's bytes right now.
  std::lock_guard lock(dialog_.SendLock());
  record.Assign(replacement);
}

void TreeCommands::SetSelectedItemKind(std::int32_t kind) {
  const ItemHandle item = tree_.SelectedItem();
  if (!item) return;
  CAttr copy(*tree_.Record(item));
  const std::optional<int> result = ChangeDataKind(copy, kind, dialog_.Settings());
  if (!result) return;
  if (*result != kBuildOk) {
    ui::ShowFailure(&dialog_, *result == kBuildNotHex ? kCannotMakeHex : kCannotConvertEscapes,
                    kAppName);
    return;
  }
  ReplaceRecord(item, copy);
  tree_.UpdateItemImage(item);
  ShowItemInCommandBox();
  MarkModified();
}

void TreeCommands::RestoreDefaultSet() {
  dialog_.Settings() = kDefaultCommSettings;
  const LoadOutcome outcome = LoadItemsFromText(
      tree_, std::optional<std::string>(DefaultCommandSetText()), dialog_.Settings());
  TreeLoaded(outcome, true);
  MarkModified();
}

void TreeCommands::TreeLoaded(const LoadOutcome& outcome, bool showMessages) {
  if (showMessages && outcome.invalidData) ui::ShowFailure(&dialog_, kInvalidDataMessage, kAppName);
  if (showMessages && outcome.result != kParseOk) {
    ui::ShowFailure(&dialog_, LoadFailureMessage(CommandFileLoad{kReadOk, outcome}), kAppName);
  }
  if (ShownCommandList()) RefillCommandList();
  SetDeleteCommandsEnabled(!tree_.IsEmpty());
}

void TreeCommands::RevalidateTree() {
  // Receive bytes may change: no automatic answer may refer to them meanwhile.
  const bool connected = dialog_.IsConnected();
  if (connected) dialog_.Session().UnregisterAutoAnswers(nullptr);
  const bool invalid =
      vexa::RevalidateTree(tree_, dialog_.Settings(), connected ? &dialog_.SendLock() : nullptr);
  if (connected) dialog_.Session().RegisterAutoAnswers(nullptr);
  if (invalid) ui::ShowFailure(&dialog_, kInvalidDataMessage, kAppName);
}

void TreeCommands::RefillCommandList() {
  // One bulk change of the list, without running the event loop: nothing may change the tree
  // under the walk, nor see the list half filled.
  if (CommandListView* list = dialog_.CommandList()) vexa::RefillCommandList(tree_, *list);
}

void TreeCommands::ShowItemMenu(bool onItem, QPoint screenPoint) {
  const ItemHandle item = onItem ? tree_.SelectedItem() : nullptr;
  const std::int32_t kind = item ? tree_.Record(item)->sendKind : kKindNone;
  const int command = tree_.ShowItemMenu(item != nullptr, screenPoint, kind,
                                         dialog_.IsCommandEnabled(kCmdDefaultSet));
  if (command != 0) dialog_.ExecuteCommand(command);
}

bool TreeCommands::OnDoubleClick() {
  if (dialog_.IsConnected()) {
    if (dialog_.Hooks().sendSelectedItem) dialog_.Hooks().sendSelectedItem();
    return true;
  }
  ui::Beep();
  return false;
}

}  // namespace vexa
