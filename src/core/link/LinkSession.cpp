// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/LinkSession.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <system_error>

#include "core/codec/Codec.h"
#include "core/link/Reconnector.h"
#include "platform/Io.h"
#include "platform/ThreadPriority.h"

namespace vexa {
namespace {

// The tags get room of their own: the queue keeps as many full-length records as an untagged
// one of `queueCapacity` bytes would.
std::uint32_t TaggedCapacity(std::uint32_t queueCapacity) {
  return queueCapacity + (queueCapacity / (kRecordPrefixBytes + kRecordMax) + 1) * kRecordTagBytes;
}

// Real-time scheduling keeps the receive thread from missing bytes while normal threads fill
// the cores. Once the owner has fallen behind, it would only keep the owner from catching up,
// and the queue would drop what the port's own flow control could have held back (a pseudo-
// terminal's or a socket's writer waits; a serial port at its highest rate fills its driver's
// buffer in no less than a few milliseconds). So while the owner is behind, the thread competes
// as the others do, and rests a millisecond before each round of reads.
class OwnerPace {
 public:
  // A batch of `announcedAt` bytes is announced at once: twice that still queued means the
  // owner has not come for it.
  explicit OwnerPace(std::size_t announcedAt)
      : behind_(2 * announcedAt), caughtUp_(announcedAt / 2) {
    AskForRealTimePriority();
  }

  // After each put, with the bytes queued: whether the owner is behind.
  bool Follow(std::size_t backlog) {
    if (realTime_ && backlog >= behind_) {
      LeaveRealTimePriority();
      realTime_ = false;
    } else if (!realTime_ && backlog <= caughtUp_) {
      AskForRealTimePriority();
      realTime_ = true;
    }
    return backlog >= behind_;
  }

 private:
  std::size_t behind_;
  std::size_t caughtUp_;
  bool realTime_ = true;
};

}  // namespace

LinkSession::LinkSession(const ItemTree& tree, LinkNotifier& notifier, PortLookup lookup,
                         std::uint32_t queueCapacity)
    : tree_(tree),
      notifier_(notifier),
      link_(std::move(lookup)),
      batchLimit_(TaggedCapacity(queueCapacity) / 4),
      gatheredMax_(std::min<std::size_t>(kGatheredMax, batchLimit_)),
      answers_([this](CAttr& item) { StopAutoAnswer(item); }) {
  const std::uint32_t capacity = TaggedCapacity(queueCapacity);
  queue_.Init(capacity, RecordTags::kCarried);
  draining_.Init(capacity, RecordTags::kCarried);
}

LinkSession::~LinkSession() {
  connected_.store(0);
  StopReceiveThread();
}

OpenResult LinkSession::Open(const CommSettings& settings) {
  if (receiveThread_.joinable() || !wake_.IsValid()) return OpenResult::kFailed;
  if (link_.Open(settings.portName, settings.baudRate, settings.stopBits, settings.parity,
                 settings.dataBits, settings.receiveTimeout) != OpenResult::kOk) {
    return OpenResult::kFailed;
  }
  SetReceiveFraming(settings.receiveTerminator, settings.recordLength);
  droppedRecords_.store(0);
  droppedBytes_.store(0);
  recordsAnnounced_.store(false);
  batchAwaitsAnnounce_.store(false);
  writeFailed_.store(false);
  awaitingDevice_.store(false);
  reopens_.store(0);
  sendingPaused_ = false;
  reopensSeen_ = 0;
  wake_.Reset();
  // Set before the thread exists, so that a Disconnect right after Open always stops it.
  receiveState_.store(ReceiveState::kRunning);
  try {
    receiveThread_ = std::thread([this] { ReceiveThreadProc(); });
  } catch (const std::system_error&) {
    receiveState_.store(ReceiveState::kStopped);
    link_.Close();
    return OpenResult::kFailed;
  }
  return OpenResult::kOk;
}

void LinkSession::StartSending() {
  connected_.store(1);
  StartTimersAndAnswers();
}

void LinkSession::Disconnect() {
  connected_.store(0);
  {
    std::lock_guard lock(queuedSendsMutex_);
    queuedSends_.clear();
  }
  StopTimersAndAnswers();
  StopReceiveThread();
  link_.Close();
  sendingPaused_ = false;
}

void LinkSession::StartTimersAndAnswers() {
  StartPeriodicTimers(nullptr);
  answers_.Clear();
  RegisterAutoAnswers(nullptr);
}

void LinkSession::StopTimersAndAnswers() {
  StopPeriodicTimers(nullptr);
  UnregisterAutoAnswers(nullptr);
  answers_.Clear();
}

// The receive thread sets the count before it clears the waiting flag, so a flag found clear
// comes with the count of the reopen that cleared it.
LinkChange LinkSession::FollowLink() {
  if (!IsConnected()) return LinkChange::kNone;
  if (awaitingDevice_.load()) {
    if (sendingPaused_) return LinkChange::kNone;
    sendingPaused_ = true;
    StopTimersAndAnswers();
    return LinkChange::kWaiting;
  }
  const std::uint32_t reopens = reopens_.load();
  if (reopens == reopensSeen_) return LinkChange::kNone;
  reopensSeen_ = reopens;
  if (sendingPaused_) {
    sendingPaused_ = false;
    StartTimersAndAnswers();
  }
  return LinkChange::kReconnected;
}

bool LinkSession::AwaitDevice() {
  link_.Close();
  awaitingDevice_.store(true);
  notifier_.LinkStateChanged();
  Reconnector reconnector(link_.OpenedPath(), wake_.Descriptor());
  const ReconnectOutcome outcome =
      reconnector.Run([this] { return link_.Reopen(kReconnectOpenLimit) == OpenResult::kOk; });
  if (outcome != ReconnectOutcome::kOpened) return false;
  writeFailed_.store(false);
  reopens_.fetch_add(1);
  awaitingDevice_.store(false);
  notifier_.LinkStateChanged();
  return true;
}

void LinkSession::StopReceiveThread() {
  if (!receiveThread_.joinable()) return;
  ReceiveState running = ReceiveState::kRunning;
  receiveState_.compare_exchange_strong(running, ReceiveState::kStopRequested);
  wake_.Signal();
  receiveThread_.join();
}

// ---- receive side

void LinkSession::SetReceiveFraming(std::string_view receiveTerminator, std::int32_t recordLength) {
  std::lock_guard lock(framingMutex_);
  framingTerminator_ = receiveTerminator;
  framingLength_ = recordLength;
  framingVersion_.fetch_add(1, std::memory_order_release);
}

void LinkSession::ApplyLineSettings(const CommSettings& settings) {
  link_.ApplyLineSettings(
      {settings.baudRate, settings.stopBits, settings.parity, settings.dataBits});
}

void LinkSession::RefreshFraming() {
  const std::uint32_t version = framingVersion_.load(std::memory_order_acquire);
  if (version == seenFramingVersion_) return;
  std::lock_guard lock(framingMutex_);
  receiveTerminator_ = framingTerminator_;
  recordLength_ = framingLength_;
  seenFramingVersion_ = framingVersion_.load(std::memory_order_relaxed);
}

RecordRead LinkSession::ReadOneRecord(RecordBuffer& record) {
  RefreshFraming();
  return receiveTerminator_.empty() ? link_.ReadRaw(record, recordLength_)
                                    : link_.ReadRecord(record, receiveTerminator_);
}

// The entry is in the queue before the flag is read, and the receive thread clears the flag
// before it announces: a flag found set comes with an announcement still to be made.
void LinkSession::QueueEntry(std::string_view bytes, const RecordTag& tag) {
  CountDropped(queue_.PutDropOldest(bytes, tag).dropped);
  if (!batchAwaitsAnnounce_.load()) AnnounceRecords();
}

void LinkSession::PutReceived(RecordBatch& gathered) {
  if (gathered.Empty()) return;
  CountDropped(queue_.PutDropOldest(gathered));
  gathered.Clear();
}

void LinkSession::CountDropped(const DroppedRecords& dropped) {
  if (dropped.records == 0) return;
  droppedRecords_.fetch_add(dropped.records, std::memory_order_relaxed);
  droppedBytes_.fetch_add(dropped.bytes, std::memory_order_relaxed);
}

void LinkSession::AnnounceRecords() {
  // The queue's mutex orders this against the drain's reset of the flag, so a record put after
  // the drain's swap always finds the flag clear and is announced.
  if (!recordsAnnounced_.load(std::memory_order_relaxed) && !recordsAnnounced_.exchange(true)) {
    notifier_.RecordsReady();
  }
}

void LinkSession::AnnounceBatch() {
  batchAwaitsAnnounce_.store(false);
  AnnounceRecords();
}

void LinkSession::ReceiveThreadProc() {
  // A receive thread waiting for a core lets the driver's buffer overflow: bytes lost.
  OwnerPace pace(batchLimit_);
  RecordBuffer record;
  const auto stopRequested = [this] {
    return receiveState_.load(std::memory_order_relaxed) != ReceiveState::kRunning;
  };
  RecordRead result;
  ReceiveBatch batch;
  RecordBatch gathered;
  const auto gather = [&](std::string_view bytes, WallTime arrival) {
    gathered.Add(bytes, {arrival, RecordOrigin::kReceived});
    if (gathered.StoredBytes() >= gatheredMax_) PutReceived(gathered);
    batch.bytes += TaggedRecordBytes(bytes.size());
    if (!batch.pending) batchAwaitsAnnounce_.store(true);
    batch.pending = true;
  };
  bool behind = false;
  while (!stopRequested()) {
    pollfd fds[2] = {
        {link_.PollDescriptor(), static_cast<short>(link_.WantsInput() && !behind ? POLLIN : 0), 0},
        {wake_.Descriptor(), POLLIN, 0}};
    int timeout = PollTimeout(batch);
    if (behind) timeout = timeout < 0 ? 1 : std::min(timeout, 1);
    if (RetryOnInterrupt([&] { return poll(fds, 2, timeout); }) < 0) break;
    if (fds[1].revents != 0) break;
    link_.NotePollEvents(fds[0].revents);
    while (!stopRequested() && (result = ReadOneRecord(record)).IsRecord()) {
      gather({record.data(), result.length}, result.arrival);
      if (!receiveTerminator_.empty()) link_.TakeWaitingRecords(receiveTerminator_, gather);
    }
    PutReceived(gathered);
    behind = pace.Follow(queue_.Used());
    if (batch.pending && AnnounceDue(batch)) {
      AnnounceBatch();
      batch = {std::chrono::steady_clock::now()};
    }
    if (result.status == RecordRead::Status::kNotOpen) break;
    if (result.status == RecordRead::Status::kDeviceLost) {
      if (!reconnect_.load()) break;
      // The owner sees the last records before it hears of the wait.
      if (batch.pending) AnnounceBatch();
      batch = {std::chrono::steady_clock::now()};
      const bool reopened = AwaitDevice();
      result = {};
      if (!reopened) break;
    }
  }
  if (batch.pending) AnnounceBatch();
  receiveState_.store(ReceiveState::kStopped);
  if (result.status == RecordRead::Status::kDeviceLost) notifier_.DeviceLost();
}

int LinkSession::PollTimeout(const ReceiveBatch& batch) const {
  const int recordDue = link_.MsUntilTimeoutRecord();
  if (!batch.pending) return recordDue;
  const auto left = batch.lastAnnounced + AnnounceWindow() - std::chrono::steady_clock::now();
  const int batchDue = static_cast<int>(
      std::max<std::int64_t>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count()));
  return recordDue < 0 ? batchDue : std::min(recordDue, batchDue);
}

// Lines an answer may wait for go to the owner at once, and so does a batch that has grown
// large (the queue must not fill meanwhile) or whose window has passed.
bool LinkSession::AnnounceDue(const ReceiveBatch& batch) const {
  return answers_.AnyEntries() || batch.bytes >= batchLimit_ ||
         std::chrono::steady_clock::now() - batch.lastAnnounced >= AnnounceWindow();
}

// The records are moved out of the receive thread's way with one swap and handed on from
// there, taken a batch at a time. Older records still in the batch or the drain queue (a
// handler re-entered the drain) go first.
void LinkSession::DrainEntries(const EntryHandler& onEntry) {
  recordsAnnounced_.store(false);
  // Not a member: a handler may drain again from within, and refill the batch meanwhile.
  std::array<char, std::max(kRecordMax, kSentEntryMax)> entry;
  const auto handAll = [&] {
    for (;;) {
      if (drained_.AtEnd() && draining_.TakeStored(drained_, kDrainBatchBytes, entry.size()) == 0)
        return;
      const StoredRecords::Record record = drained_.Next();
      std::memcpy(entry.data(), record.data.data(), record.data.size());
      onEntry({entry.data(), record.data.size()}, record.tag);
    }
  };
  handAll();
  queue_.Swap(draining_);
  handAll();
}

void LinkSession::DrainReceived(const RecordHandler& onRecord) {
  DrainEntries([&](std::string_view bytes, const RecordTag& tag) {
    if (tag.origin == RecordOrigin::kReceived) onRecord(bytes);
  });
}

void LinkSession::AnswerReceivedLine(std::string_view line) {
  for (CAttr* item : answers_.Match(line)) StartAutoAnswer(*item);
}

DroppedRecords LinkSession::Dropped() const {
  return {droppedRecords_.load(std::memory_order_relaxed),
          droppedBytes_.load(std::memory_order_relaxed)};
}

// ---- sending

// Also once reconnection was turned off while the receive thread already waits: the owner
// hears of the wait and ends it.
bool LinkSession::LossAwaited(WriteResult result) const {
  return (result == WriteResult::kDeviceLost || result == WriteResult::kNotOpen) &&
         (reconnect_.load() || awaitingDevice_.load());
}

// The receive thread finds a lost device itself; a write that runs into the loss first leaves
// it to that.
WriteResult LinkSession::WriteUnderSendLock(std::string_view bytes, RecordOrigin origin) {
  if (awaitingDevice_.load()) return WriteResult::kNotOpen;
  if (recordingSent_.load(std::memory_order_relaxed)) {
    QueueEntry(bytes.substr(0, kSentEntryMax), {WallClockNow(), origin});
  }
  const WriteResult result = link_.Write(bytes);
  if (result != WriteResult::kOk && !LossAwaited(result)) writeFailed_.store(true);
  return result;
}

namespace {

SendOutcome SendOutcomeOf(WriteResult result, bool lossAwaited) {
  if (result == WriteResult::kOk) return SendOutcome::kOk;
  return lossAwaited ? SendOutcome::kLinkDown : SendOutcome::kWriteFailed;
}

// The typed text's conversion failed: what the send reports at once.
std::optional<SendTextResult> ConversionFailure(BuildResult built, const CAttr& typed) {
  switch (built) {
    case BuildResult::kNotHex:
      return SendTextResult{SendOutcome::kNotHex, 0};
    case BuildResult::kEscapeError:
      return SendTextResult{SendOutcome::kEscapeError, typed.ErrorPosition()};
    case BuildResult::kOk:
      break;
  }
  return std::nullopt;
}

}  // namespace

SendOutcome LinkSession::SendItem(const CAttr& item) {
  WriteResult written;
  {
    std::lock_guard lock(sendLock_);
    if (item.sendBytes.empty()) return SendOutcome::kNothing;
    written = WriteUnderSendLock(item.sendBytes, RecordOrigin::kSentByOperator);
  }
  return SendOutcomeOf(written, LossAwaited(written));
}

SendTextResult LinkSession::SendCommandText(std::string_view text, ItemKind kind,
                                            std::string_view sendTerminator, bool useEscapes) {
  WriteResult written;
  {
    std::lock_guard lock(sendLock_);
    scratch_.sendKind = kind;
    scratch_.sendText = text;
    if (const auto failed =
            ConversionFailure(scratch_.BuildSendBytes(sendTerminator, useEscapes), scratch_)) {
      return *failed;
    }
    written = WriteUnderSendLock(scratch_.sendBytes, RecordOrigin::kSentByOperator);
  }
  return {SendOutcomeOf(written, LossAwaited(written)), 0};
}

SendOutcome LinkSession::QueueItemSend(const CAttr& item) {
  // Only the owner's thread replaces an item's bytes, so reading them here needs no SendLock.
  if (item.sendBytes.empty()) return SendOutcome::kNothing;
  QueueManualSend(item.sendBytes);
  return SendOutcome::kOk;
}

SendTextResult LinkSession::QueueTextSend(std::string_view text, ItemKind kind,
                                          std::string_view sendTerminator, bool useEscapes) {
  CAttr typed;
  typed.sendKind = kind;
  typed.sendText = text;
  if (const auto failed =
          ConversionFailure(typed.BuildSendBytes(sendTerminator, useEscapes), typed)) {
    return *failed;
  }
  QueueManualSend(std::move(typed.sendBytes));
  return {SendOutcome::kOk, 0};
}

void LinkSession::QueueManualSend(std::string bytes) {
  if (connected_.load() == 0) return;
  {
    std::lock_guard lock(queuedSendsMutex_);
    queuedSends_.push_back(std::move(bytes));
  }
  // One wake-up per send; the earliest callback writes everything queued by then.
  timers_.SetEvent(1, TimerService::Repeat::kOnce, [this] {
    if (connected_.load() == 0) return;
    bool written;
    {
      std::lock_guard lock(sendLock_);
      written = WriteQueuedSendsUnderSendLock();
    }
    if (!written) ReportFirstFailure();
  });
}

bool LinkSession::WriteQueuedSendsUnderSendLock() {
  for (;;) {
    std::string bytes;
    {
      std::lock_guard lock(queuedSendsMutex_);
      if (writeFailed_.load()) queuedSends_.clear();
      if (queuedSends_.empty()) return true;
      bytes = std::move(queuedSends_.front());
      queuedSends_.pop_front();
    }
    const WriteResult result = WriteUnderSendLock(bytes, RecordOrigin::kSentByOperator);
    if (result == WriteResult::kOk) continue;
    if (!LossAwaited(result)) return false;
    // Handed on for a device that has gone: dropped with it.
    std::lock_guard lock(queuedSendsMutex_);
    queuedSends_.clear();
    return true;
  }
}

void LinkSession::ReportFirstFailure() {
  if (connected_.load() != 0) notifier_.SendFailed();
}

// ---- timers and automatic answers

template <typename Fn>
void LinkSession::ForItemsIn(ItemHandle item, Fn&& fn) {
  ForSubtree(tree_, item, [&](ItemHandle each) { fn(*tree_.Record(each)); });
}

void LinkSession::StartPeriodicTimers(ItemHandle item) {
  ForItemsIn(item, [this](CAttr& each) { StartPeriodicTimer(each); });
}

void LinkSession::StopPeriodicTimers(ItemHandle item) {
  ForItemsIn(item, [this](CAttr& each) { StopPeriodicTimer(each); });
}

void LinkSession::RegisterAutoAnswers(ItemHandle item) {
  ForItemsIn(item, [this](CAttr& each) {
    if (each.receiveLength() != 0) answers_.Insert(each);
  });
}

void LinkSession::UnregisterAutoAnswers(ItemHandle item) {
  ForItemsIn(item, [this](CAttr& each) {
    if (each.receiveLength() != 0) answers_.Remove(each);
  });
}

void LinkSession::StartPeriodicTimer(CAttr& item) {
  if (item.repeatPeriod == 0) return;
  item.repeatTimerId =
      timers_.SetEvent(item.repeatPeriod, TimerService::Repeat::kPeriodic,
                       [this, &item] { TimerCallback(item, TimerRole::kPeriodic); });
}

void LinkSession::StopPeriodicTimer(CAttr& item) {
  if (item.repeatTimerId == 0) return;
  timers_.KillEvent(item.repeatTimerId);
  item.repeatTimerId = 0;
}

void LinkSession::StartAutoAnswer(CAttr& item) {
  if (item.answerPending.load() != 0)
    return;  // the waiting answer is neither restarted nor repeated
  item.answerPending.store(1);
  // Every answer of the older file form has the delay 0; it goes at the next tick, as it did
  // with the old multimedia timer.
  const std::int32_t delay = item.answerDelay == 0 ? 1 : item.answerDelay;
  item.answerTimerId = timers_.SetEvent(delay, TimerService::Repeat::kOnce,
                                        [this, &item] { TimerCallback(item, TimerRole::kAnswer); });
}

void LinkSession::StopAutoAnswer(CAttr& item) {
  if (item.answerPending.load() == 0) return;
  if (item.answerTimerId != 0) {
    timers_.KillEvent(item.answerTimerId);
  } else {
    notifier_.AnswerTimerFailed();
  }
  item.answerTimerId = 0;
  item.answerPending.store(0);
}

void LinkSession::TimerCallback(CAttr& item, TimerRole role) {
  if (connected_.load() == 0) return;  // late: write nothing, report nothing
  bool firstFailure = false;
  {
    std::lock_guard lock(sendLock_);
    // After a failed write the owner is disconnecting; more writes that run into their time
    // limit would only keep SendLock from the owner's thread. Manual sends handed on before
    // this tick go first.
    if (!writeFailed_.load()) {
      if (!WriteQueuedSendsUnderSendLock()) {
        firstFailure = true;
      } else {
        const WriteResult result = WriteUnderSendLock(
            item.sendBytes,
            role == TimerRole::kPeriodic ? RecordOrigin::kSentPeriodic : RecordOrigin::kSentAnswer);
        firstFailure = result != WriteResult::kOk && !LossAwaited(result);
      }
    }
  }
  // Only the answer's own timer ends the wait; a periodic tick of the same item must not.
  if (role == TimerRole::kAnswer) item.answerPending.store(0);
  if (firstFailure) ReportFirstFailure();
}

}  // namespace vexa
