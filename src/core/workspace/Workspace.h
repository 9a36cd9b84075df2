// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One open command file and one connection, as the window and vexa-run each hold them: the
// settings, the item tree, the file's path and modified state, the command list that shows
// the items, the communication log, the link session, and the receive pipeline. Whatever the
// operator does to items, files and the link that needs no widget happens here, once.
//
// Threads: everything is called from the owner's thread. The link's threads reach the owner
// only through the LinkNotifier given at construction.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/files/CommLog.h"
#include "core/files/CommandFile.h"
#include "core/items/CommandListView.h"
#include "core/items/ItemTree.h"
#include "core/link/LinkSession.h"
#include "core/link/PortNames.h"
#include "core/settings/CommSettings.h"

namespace vexa {

// Where received lines go once they are logged and answered, and where the writes to the
// link go while sent lines are shown: the answer list, or the runner's output. Both come in
// the order they happened.
class ReceivedLineSink {
 public:
  virtual ~ReceivedLineSink() = default;
  // `arrival`: when the first byte of the line's record was read from the device.
  virtual void ShowReceivedLine(std::string_view line, WallTime arrival) = 0;
  // The bytes of one write (at most kSentEntryMax of them), with the send terminator.
  virtual void ShowSentLine(std::string_view bytes, const RecordTag& tag) = 0;
};

enum class DrainResult { kOk, kLogFailed };

class Workspace {
 public:
  // `tree` holds the items; it must outlive the workspace.
  Workspace(ItemTree& tree, LinkNotifier& notifier, PortLookup lookup = {},
            std::uint32_t queueCapacity = kReceiveQueueCapacity);
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // ---- the command file

  ItemTree& Tree() const { return tree_; }
  CommSettings& Settings() { return settings_; }
  const CommSettings& Settings() const { return settings_; }

  // Path and title in the file system's encoding; both empty for a new file.
  const std::string& FilePath() const { return filePath_; }
  const std::string& FileTitle() const { return fileTitle_; }
  void SetFile(std::string path, std::string title);

  bool IsModified() const { return modified_; }
  // The first change after a load or save marks the file modified and tells the listener.
  void MarkModified();
  void ClearModified() { modified_ = false; }
  void SetModifiedListener(std::function<void()> listener) { onModified_ = std::move(listener); }

  // Replaces settings and tree by the file's; both untouched when it cannot be read.
  CommandFileLoad LoadFile(const std::string& path);
  // The built-in command set with the default settings.
  LoadOutcome LoadDefaultSet();
  // The first save over a file that was read only in part keeps that file as "NAME.vxp~".
  SaveResult SaveTo(const std::string& path);
  // The current file was read only up to a line that could not be parsed, and has not been
  // saved since: the tree lacks the rest of it.
  bool HoldsPartOfFile() const { return !filePath_.empty() && filePath_ == partlyRead_; }

  // ---- items; while connected, the link's timers and automatic answers follow them

  // Before `root` and everything below it leave the tree.
  void ReleaseItems(ItemHandle root);
  // After `root` and everything below it came into the tree.
  void EngageItems(ItemHandle root);
  // Every item goes, with the command list's rows.
  void ClearItems();
  // The item takes `copy`'s fields under the send lock; the timers running for it stay its own.
  void ReplaceRecord(ItemHandle item, const CAttr& copy);
  // As ReplaceRecord for new details (period, automatic answer): the item's timer and answer
  // stop first and start again with the new values.
  void ReplaceItemDetails(ItemHandle item, const CAttr& edited);
  // Derives every item again from the settings; true when data had to be dropped.
  bool RevalidateItems();
  // New settings; a running link frames the records after the current one by them, and a
  // port on another machine is told new line settings.
  void SetSettings(const CommSettings& settings);

  // ---- the command list window

  // The open list, or nullptr; the rows then follow the tree.
  void SetCommandList(CommandListView* list) { commandList_ = list; }
  CommandListView* CommandList() const { return commandList_; }
  // The list when it is open and shown; nullptr otherwise.
  CommandListView* ShownCommandList() const;
  // One bulk change of the list from the tree (nothing while none is open).
  void RefillCommandList();

  // ---- the link

  // Opens the port with the settings.
  OpenResult Connect();
  // Periodic sends and automatic answers begin; IsConnected from here on.
  void StartSending();
  void Disconnect();
  bool IsConnected() const { return session_.IsConnected(); }
  // Reconnection (LinkSession::SetReconnect), and what the owner does on LinkStateChanged.
  void SetReconnect(bool on) { session_.SetReconnect(on); }
  void SetAnnounceWindow(std::chrono::milliseconds window) { session_.SetAnnounceWindow(window); }
  LinkChange FollowLink() { return session_.FollowLink(); }
  bool IsAwaitingDevice() const { return session_.IsAwaitingDevice(); }
  SendOutcome SendItem(const CAttr& item) { return session_.SendItem(item); }
  // Typed text converted as an item of `kind` with the settings' terminator and escapes.
  SendTextResult SendText(std::string_view text, ItemKind kind);
  // As SendItem and SendText, the write left to the link's timer thread (LinkSession's
  // QueueItemSend): the caller never waits for the device.
  SendOutcome QueueItemSend(const CAttr& item) { return session_.QueueItemSend(item); }
  SendTextResult QueueTextSend(std::string_view text, ItemKind kind);
  LinkSession& Session() { return session_; }
  DroppedRecords Dropped() const { return session_.Dropped(); }
  // Whether the drain hands the writes to the link to the sink as well.
  void SetSentLinesShown(bool shown) { session_.SetSentRecording(shown); }
  bool SentLinesShown() const { return session_.IsRecordingSent(); }

  // ---- the communication log

  // Creates (replaces) the file; false when it cannot be.
  bool OpenLog(const std::string& path) { return log_.Open(path); }
  void CloseLog() { log_.Close(); }
  bool IsLogging() const { return log_.IsOpen(); }

  // ---- receiving

  // Every queued record, cut into lines: each line is logged, then answered, then shown; and
  // every recorded write, shown as it is. Everything logged is written before this returns; a
  // failed write ends the log.
  DrainResult DrainReceived(ReceivedLineSink& sink);

 private:
  ItemTree& tree_;
  CommSettings settings_ = kDefaultCommSettings;
  std::string filePath_;
  std::string fileTitle_;
  std::string partlyRead_;  // the file last loaded, when loading stopped early; until saved
  bool modified_ = false;
  std::function<void()> onModified_;
  CommandListView* commandList_ = nullptr;
  CommLog log_;
  LinkSession session_;  // last: its threads stop before the rest goes
};

}  // namespace vexa
