// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One connection's worth of serial work, shared by the window and the headless runner:
// opening the link, the receive thread and queue, periodic sends, automatic answers and
// the send paths, all serialised by SendLock.
//
// Threads: everything public is called from one owner thread (the window's UI thread, or
// the runner's main thread), except SendLock(), which any thread may take. The receive
// thread and the timer thread are internal; they reach the owner only through LinkNotifier.
//
// Connect:    Open(settings) -> (owner updates its view) -> StartSending()
// Receive:    on RecordsReady: DrainEntries(fn); fn splits each received record with
//             SplitReceivedRecord and passes every line to AnswerReceivedLine; while sent
//             lines are recorded, the writes come in the same stream, in their true order
// Send:       SendItem / SendCommandText; on SendOutcome::kWriteFailed report and Disconnect()
//             QueueItemSend / QueueTextSend: the timer thread writes, in the order handed on;
//             a failed write comes as SendFailed
// Disconnect: Disconnect(); also on SendFailed and DeviceLost
// Reconnect:  with SetReconnect(true) a lost device is waited for instead (LinkStateChanged);
//             the owner calls FollowLink(), which pauses and resumes the timers

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/codec/Codec.h"
#include "core/items/Attr.h"
#include "core/items/ItemTree.h"
#include "core/link/AutoAnswer.h"
#include "core/link/Connect.h"
#include "core/link/LinkNotifier.h"
#include "core/link/PortNames.h"
#include "core/link/ReceiveQueue.h"
#include "core/settings/CommSettings.h"
#include "platform/TimerService.h"
#include "platform/WakeEvent.h"

namespace vexa {

// Room for received records between two drains by the owner: 4 MiB holds about 150,000
// 16-byte lines with their prefixes and tags, 80 ms of a 30 MB/s stream, so a window busy
// drawing for a moment loses nothing.
inline constexpr std::uint32_t kReceiveQueueCapacity = 4u << 20;

enum class SendOutcome : int {
  kOk = 0,
  kNotHex = 1,
  kEscapeError = 2,
  kWriteFailed = 3,  // report and disconnect
  kNothing = 4,      // the item has no bytes (a heading)
  kLinkDown = 5,     // the device is gone and waited for: nothing was sent
};

// What FollowLink found since it was last asked.
enum class LinkChange { kNone, kWaiting, kReconnected };

struct SendTextResult {
  SendOutcome outcome;
  std::int32_t errorPosition;  // for SendOutcome::kEscapeError
};

// Receive thread states.
enum class ReceiveState : std::int32_t { kStopped = 0, kRunning = 1, kStopRequested = 2 };

using RecordHandler = std::function<void(std::string_view)>;
using EntryHandler = std::function<void(std::string_view bytes, const RecordTag& tag)>;

// While no automatic answer waits for received lines, a stream of records is announced to the
// owner at most once per window: the owner then only logs and shows them, and would otherwise
// wake for every read. A printing owner hears of a stream within 20 ms; an owner that shows
// lines less often sets a longer window (SetAnnounceWindow).
inline constexpr std::chrono::milliseconds kReceiveBatchWindow{20};

// The receive thread puts the records of one read into the queue together, and at least this
// often while the driver keeps delivering.
inline constexpr std::size_t kGatheredMax = 64u << 10;
// The owner's drain takes this many of its queue's stored bytes at a time, with one lock.
inline constexpr std::size_t kDrainBatchBytes = 64u << 10;

// A sent entry keeps at most this many leading bytes of its write.
inline constexpr std::size_t kSentEntryMax = 4096;

// Cuts a received record into lines ending with `receiveTerminator` (the same matching as the
// link's); bytes after the last terminator form a last line. Empty terminator: one line.
// A template: the receive pipeline calls it for every record, and a std::function around a
// handler of several references would cost an allocation each time.
template <typename LineHandler>
void SplitReceivedRecord(std::string_view record, std::string_view receiveTerminator,
                         LineHandler&& onLine) {
  if (receiveTerminator.empty() || EndsAtItsOnlyTerminator(record, receiveTerminator)) {
    onLine(record);
    return;
  }
  TerminatorMatcher matcher(receiveTerminator);
  while (!record.empty()) {
    const std::size_t end = matcher.FindRecordEnd(record);
    if (end == 0) {
      onLine(record);
      return;
    }
    onLine(record.substr(0, end));
    record.remove_prefix(end);
  }
}

class LinkSession {
 public:
  // `tree` holds the items whose timers and answers this session runs; it must outlive every
  // timer, so call Disconnect before changing or destroying it wholesale.
  LinkSession(const ItemTree& tree, LinkNotifier& notifier, PortLookup lookup = {},
              std::uint32_t queueCapacity = kReceiveQueueCapacity);
  // Stops the receive thread and every timer without touching the tree.
  ~LinkSession();
  LinkSession(const LinkSession&) = delete;
  LinkSession& operator=(const LinkSession&) = delete;

  // Opens the port with the settings' line settings and time-out, frames by their receive
  // terminator and record length, and starts the receive thread.
  OpenResult Open(const CommSettings& settings);
  // Sets the connected flag (timer callbacks write from now on), starts every item's periodic
  // timer and refills the automatic-answer table.
  void StartSending();
  // Clears the connected flag, kills the periodic timers, removes every automatic answer, stops
  // and joins the receive thread, closes the port. Nothing happens twice.
  void Disconnect();
  bool IsConnected() const { return connected_.load() != 0; }

  // While on, a device that vanishes is waited for and opened again under the same name with
  // the same settings, instead of ending the connection. Read when the device is lost.
  void SetReconnect(bool on) { reconnect_.store(on); }
  // How often, at most, a stream of records is announced while no automatic answer waits.
  void SetAnnounceWindow(std::chrono::milliseconds window) {
    announceWindowMs_.store(window.count(), std::memory_order_relaxed);
  }
  // On LinkStateChanged: stops periodic sends and automatic answers while the device is
  // waited for, starts them again once it is back.
  LinkChange FollowLink();
  // Connected, and the device is waited for (as FollowLink last found).
  bool IsAwaitingDevice() const { return IsConnected() && sendingPaused_; }
  // Connected, and periodic sends and automatic answers run.
  bool IsSending() const { return IsConnected() && !sendingPaused_; }
  bool IsOpen() const { return link_.IsOpen(); }
  ReceiveState State() const { return receiveState_.load(); }

  // Hands every queued entry, received or sent, to `onEntry`, oldest first.
  void DrainEntries(const EntryHandler& onEntry);
  // As DrainEntries, for the received records only.
  void DrainReceived(const RecordHandler& onRecord);
  // While on, every write to the link also goes into the receive queue as a sent entry, put
  // before the write begins so that the device's reply can never come ahead of it; the log
  // and the automatic answers never see these entries.
  void SetSentRecording(bool on) { recordingSent_.store(on); }
  bool IsRecordingSent() const { return recordingSent_.load(); }
  // Starts the automatic answer of every table entry `line` begins with.
  void AnswerReceivedLine(std::string_view line);
  // Receive framing for the records after the current one; empty terminator: fixed length.
  void SetReceiveFraming(std::string_view receiveTerminator, std::int32_t recordLength);
  // The line settings of `settings` for the open port (a network port hears of them).
  void ApplyLineSettings(const CommSettings& settings);
  // Records the full queue dropped since Open.
  DroppedRecords Dropped() const;

  // Writes the item's bytes under SendLock.
  SendOutcome SendItem(const CAttr& item);
  // Converts typed text as an item of `kind` would (with the send terminator) and writes it,
  // under SendLock from the conversion to the end of the write.
  SendTextResult SendCommandText(std::string_view text, ItemKind kind,
                                 std::string_view sendTerminator, bool useEscapes);
  // As SendItem and SendCommandText, but the write is left to the timer thread, so the owner
  // never waits for a device that drains slowly or not at all. Writes happen in the order they
  // were handed on, before any periodic or answer write that comes due later; a failed one is
  // reported through LinkNotifier::SendFailed. kOk means handed on; a conversion error is
  // returned at once and hands on nothing. Ignored while not connected.
  SendOutcome QueueItemSend(const CAttr& item);
  SendTextResult QueueTextSend(std::string_view text, ItemKind kind,
                               std::string_view sendTerminator, bool useEscapes);
  // Held around every write and every replacement of an item's bytes. Never kill a timer or
  // Disconnect while holding it: a kill waits for a callback that may wait for this lock.
  std::mutex& SendLock() { return sendLock_; }

  // For `item` and every item below it; nullptr: the whole tree.
  void StartPeriodicTimers(ItemHandle item);
  void StopPeriodicTimers(ItemHandle item);
  void RegisterAutoAnswers(ItemHandle item);
  void UnregisterAutoAnswers(ItemHandle item);

  // One item only.
  void StartPeriodicTimer(CAttr& item);
  void StopPeriodicTimer(CAttr& item);
  void InsertAutoAnswer(CAttr& item) { answers_.Insert(item); }
  bool RemoveAutoAnswer(CAttr& item) { return answers_.Remove(item); }
  void ClearAutoAnswers() { answers_.Clear(); }
  void StartAutoAnswer(CAttr& item);
  void StopAutoAnswer(CAttr& item);

 private:
  enum class TimerRole { kPeriodic, kAnswer };

  void ReceiveThreadProc();
  RecordRead ReadOneRecord(RecordBuffer& record);
  void RefreshFraming();
  // Records the receive thread has put but not yet announced.
  struct ReceiveBatch {
    std::chrono::steady_clock::time_point lastAnnounced;
    std::size_t bytes = 0;  // of the queue they take
    bool pending = false;
  };
  int PollTimeout(const ReceiveBatch& batch) const;
  bool AnnounceDue(const ReceiveBatch& batch) const;
  std::chrono::milliseconds AnnounceWindow() const {
    return std::chrono::milliseconds(announceWindowMs_.load(std::memory_order_relaxed));
  }
  // Receive thread: the gathered records go into the queue, which is then empty.
  void PutReceived(RecordBatch& gathered);
  void CountDropped(const DroppedRecords& dropped);
  void AnnounceRecords();
  // Receive thread: announces its batch; a sent entry put before this goes with it.
  void AnnounceBatch();
  void QueueEntry(std::string_view bytes, const RecordTag& tag);
  void StopReceiveThread();
  // Receive thread: closes the lost port and waits for the device; false when stopped first.
  bool AwaitDevice();
  void StartTimersAndAnswers();
  void StopTimersAndAnswers();
  // A failed write that reconnection will deal with: no failure to report.
  bool LossAwaited(WriteResult result) const;
  void TimerCallback(CAttr& item, TimerRole role);
  WriteResult WriteUnderSendLock(std::string_view bytes, RecordOrigin origin);
  void QueueManualSend(std::string bytes);
  // Timer thread, under SendLock: the manual sends handed on so far; true when all were written
  // (or dropped, the device having gone while reconnection waits for it).
  bool WriteQueuedSendsUnderSendLock();
  void ReportFirstFailure();
  template <typename Fn>
  void ForItemsIn(ItemHandle item, Fn&& fn);

  const ItemTree& tree_;
  LinkNotifier& notifier_;
  CConnect link_;
  ReceiveQueue queue_;     // filled by the receive thread, and by writes while recorded
  ReceiveQueue draining_;  // swapped with queue_ by the owner's drain
  // Taken from draining_ with one lock, handed on one by one.
  StoredRecords drained_;
  std::atomic<std::chrono::milliseconds::rep> announceWindowMs_{kReceiveBatchWindow.count()};
  std::size_t batchLimit_;   // queue bytes after which a batch is announced at once
  std::size_t gatheredMax_;  // bytes the receive thread gathers before it puts them
  CAutoAnswer answers_;
  std::mutex sendLock_;
  CAttr scratch_;  // typed text, converted under SendLock
  std::mutex queuedSendsMutex_;
  std::deque<std::string> queuedSends_;  // manual sends waiting for the timer thread

  std::atomic<std::int32_t> connected_{0};
  std::atomic<ReceiveState> receiveState_{ReceiveState::kStopped};
  std::atomic<bool> recordsAnnounced_{false};
  // Set while the receive thread holds a batch it has yet to announce: a sent entry then waits
  // for that announcement instead of waking the owner once more.
  std::atomic<bool> batchAwaitsAnnounce_{false};
  std::atomic<bool> recordingSent_{false};
  std::atomic<bool> writeFailed_{false};  // since Open; set under SendLock
  std::atomic<bool> reconnect_{false};
  std::atomic<bool> awaitingDevice_{false};  // the receive thread's view
  std::atomic<std::uint32_t> reopens_{0};    // since Open
  // The owner's view, kept by FollowLink.
  bool sendingPaused_ = false;
  std::uint32_t reopensSeen_ = 0;
  std::atomic<std::uint64_t> droppedRecords_{0};
  std::atomic<std::uint64_t> droppedBytes_{0};

  // Framing handed to the receive thread; the version tells it to copy the new values.
  std::mutex framingMutex_;
  std::string framingTerminator_;
  std::int32_t framingLength_ = 1;
  std::atomic<std::uint32_t> framingVersion_{0};
  // The receive thread's copy.
  std::string receiveTerminator_;
  std::int32_t recordLength_ = 1;
  std::uint32_t seenFramingVersion_ = 0;

  WakeEvent wake_;
  std::thread receiveThread_;
  // Last: destroyed first, so no callback outlives the members it uses.
  TimerService timers_;
};

}  // namespace vexa
