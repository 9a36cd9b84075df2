// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workspace/Workspace.h"

#include <mutex>
#include <optional>

#include "core/items/DefaultSet.h"
#include "core/items/RevalidateTree.h"

namespace vexa {

Workspace::Workspace(ItemTree& tree, LinkNotifier& notifier, PortLookup lookup,
                     std::uint32_t queueCapacity)
    : tree_(tree), session_(tree, notifier, std::move(lookup), queueCapacity) {}

void Workspace::SetFile(std::string path, std::string title) {
  filePath_ = std::move(path);
  fileTitle_ = std::move(title);
}

void Workspace::MarkModified() {
  if (modified_) return;
  modified_ = true;
  if (onModified_) onModified_();
}

CommandFileLoad Workspace::LoadFile(const std::string& path) {
  CommandFileLoad load = LoadCommandFile(path, tree_, settings_);
  if (load.readResult == FileRead::kOk) {
    partlyRead_ = load.items.result == ParseResult::kOk ? std::string() : path;
  }
  return load;
}

LoadOutcome Workspace::LoadDefaultSet() {
  settings_ = kDefaultCommSettings;
  return LoadItemsFromText(tree_, std::optional<std::string>(DefaultCommandSetText()), settings_);
}

SaveResult Workspace::SaveTo(const std::string& path) {
  const bool overPartlyRead = !partlyRead_.empty() && path == partlyRead_;
  const SaveResult result = SaveCommandFile(
      path, settings_, tree_, overPartlyRead ? KeepOriginal::kBeside : KeepOriginal::kNo);
  if (result == SaveResult::kOk && overPartlyRead) partlyRead_.clear();
  return result;
}

void Workspace::ReleaseItems(ItemHandle root) {
  if (!IsConnected()) return;
  session_.StopPeriodicTimers(root);
  session_.UnregisterAutoAnswers(root);
}

void Workspace::EngageItems(ItemHandle root) {
  if (!session_.IsSending()) return;
  session_.StartPeriodicTimers(root);
  session_.RegisterAutoAnswers(root);
}

void Workspace::ClearItems() {
  if (IsConnected()) {
    ReleaseItems(nullptr);
    session_.ClearAutoAnswers();
  }
  tree_.ClearTree();
  if (commandList_) commandList_->RemoveAllRows();
}

void Workspace::ReplaceRecord(ItemHandle item, const CAttr& copy) {
  CAttr& record = *tree_.Record(item);
  // The timers running for the item are the live record's: an answer may have been started
  // while a question was open, after the copy was taken.
  CAttr replacement(copy);
  replacement.repeatTimerId = record.repeatTimerId;
  replacement.answerTimerId = record.answerTimerId;
  // A timer callback may be writing this item's bytes right now.
  std::lock_guard lock(session_.SendLock());
  record.Assign(replacement);
}

// Between stopping and restarting, the item has no timers. No timer is killed while holding
// the send lock: a kill waits for a running callback, which may be waiting for the lock.
void Workspace::ReplaceItemDetails(ItemHandle item, const CAttr& edited) {
  CAttr& record = *tree_.Record(item);
  session_.StopPeriodicTimer(record);
  if (record.receiveLength() != 0) session_.RemoveAutoAnswer(record);
  ReplaceRecord(item, edited);
  tree_.RecordChanged(item);
  if (session_.IsSending()) {
    session_.StartPeriodicTimer(record);
    if (record.receiveLength() != 0) session_.InsertAutoAnswer(record);
  }
}

bool Workspace::RevalidateItems() {
  // Receive bytes may change: no automatic answer may refer to them meanwhile.
  const bool connected = IsConnected();
  if (connected) session_.UnregisterAutoAnswers(nullptr);
  const bool invalid = RevalidateTree(tree_, settings_, connected ? &session_.SendLock() : nullptr);
  if (session_.IsSending()) session_.RegisterAutoAnswers(nullptr);
  return invalid;
}

void Workspace::SetSettings(const CommSettings& settings) {
  settings_ = settings;
  // The link reads with the framing it was opened with until it is told otherwise.
  if (!IsConnected()) return;
  session_.SetReceiveFraming(settings.receiveTerminator, settings.recordLength);
  session_.ApplyLineSettings(settings);
}

CommandListView* Workspace::ShownCommandList() const {
  return commandList_ && commandList_->IsShown() ? commandList_ : nullptr;
}

void Workspace::RefillCommandList() {
  // One bulk change of the list: nothing may change the tree under the walk, nor see the list
  // half filled.
  if (commandList_) vexa::RefillCommandList(tree_, *commandList_);
}

OpenResult Workspace::Connect() {
  return session_.Open(settings_);
}

void Workspace::StartSending() {
  session_.StartSending();
}

void Workspace::Disconnect() {
  session_.Disconnect();
}

SendTextResult Workspace::SendText(std::string_view text, ItemKind kind) {
  return session_.SendCommandText(text, kind, settings_.sendTerminator, settings_.useEscapes != 0);
}

SendTextResult Workspace::QueueTextSend(std::string_view text, ItemKind kind) {
  return session_.QueueTextSend(text, kind, settings_.sendTerminator, settings_.useEscapes != 0);
}

DrainResult Workspace::DrainReceived(ReceivedLineSink& sink) {
  const bool logging = log_.IsOpen();
  session_.DrainEntries([&](std::string_view bytes, const RecordTag& tag) {
    if (tag.origin != RecordOrigin::kReceived) {
      sink.ShowSentLine(bytes, tag);
      return;
    }
    SplitReceivedRecord(bytes, settings_.receiveTerminator, [&](std::string_view line) {
      log_.Append(line);
      session_.AnswerReceivedLine(line);
      sink.ShowReceivedLine(line, tag.time);
    });
  });
  // Everything received is on disk before the owner goes back to waiting.
  if (logging && !log_.Flush()) return DrainResult::kLogFailed;
  return DrainResult::kOk;
}

}  // namespace vexa
