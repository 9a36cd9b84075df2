#include "core/link/Connect.h"

#include <poll.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/codec/Codec.h"
#include "platform/Clock.h"

namespace vexa {

int CConnect::Open(std::string_view portName, std::int32_t baudRate, std::int32_t stopBits,
                   std::int32_t parity, std::int32_t dataBits, std::int32_t receiveTimeoutMs) {
  std::lock_guard lock(mutex_);
  if (port_.IsOpen()) return kOpenFailed;
  begin_ = end_ = window_ = 0;
  firstByteTime_ = TimeGetTime();
  readableSeen_ = deviceLost_ = false;
  const std::optional<std::string> path = ResolvePortName(portName, lookup_);
  line_ = LineSettings{baudRate, stopBits, parity, dataBits};
  if (!path || port_.Open(*path, line_) != IoStatus::kOk) return kOpenFailed;
  SetReadTimeouts(static_cast<std::uint32_t>(std::max(receiveTimeoutMs, 0)));
  return kOpenOk;
}

int CConnect::Close() {
  std::lock_guard lock(mutex_);
  if (!port_.IsOpen()) return kCloseNotOpen;
  port_.Close();
  return kCloseOk;
}

bool CConnect::IsOpen() const {
  return port_.IsOpen();
}

int CConnect::Write(std::string_view bytes) {
  std::lock_guard lock(mutex_);
  if (!port_.IsOpen()) return kWriteNotOpen;
  return port_.WriteAll(bytes, WriteTimeLimit(bytes.size(), line_)) == IoStatus::kOk ? kWriteOk
                                                                                     : kWriteFailed;
}

int CConnect::SetReadTimeouts(std::uint32_t timeoutMs) {
  receiveTimeout_.store(timeoutMs, std::memory_order_relaxed);
  return 0;
}

void CConnect::NotePollEvents(short revents) {
  if (revents & (POLLHUP | POLLERR | POLLNVAL)) deviceLost_ = true;
  if (revents & POLLIN) readableSeen_ = true;
}

bool CConnect::WantsInput() const {
  // A full window takes nothing more until its time-out; the driver keeps the rest.
  return framedMode_ ? window_ < kRecordMax : Pending() < kReadChunk;
}

int CConnect::MsUntilTimeoutRecord() const {
  if (Pending() == 0) return -1;
  // A framed record is due once strictly more than the time-out has passed.
  const std::uint32_t due = receiveTimeout_.load(std::memory_order_relaxed) + (framedMode_ ? 1 : 0);
  const std::uint32_t elapsed = ElapsedMs(firstByteTime_, TimeGetTime());
  return elapsed >= due ? 0 : static_cast<int>(std::min<std::uint32_t>(due - elapsed, 1u << 30));
}

void CConnect::FetchFromDriver() {
  if (begin_ != 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, Pending());
    end_ -= begin_;
    begin_ = 0;
  }
  const std::size_t room = buffer_.size() - end_;
  if (room == 0) return;  // full: the bytes stay in the driver
  std::size_t queued = 0;
  const IoStatus status = port_.QueuedBytes(queued);
  if (status == IoStatus::kDeviceLost) deviceLost_ = true;
  if (status != IoStatus::kOk) return;
  // poll() said readable but nothing is queued: a read of 0 bytes tells whether it hung up.
  if (queued == 0 && readableSeen_) queued = 1;
  readableSeen_ = false;
  if (queued == 0) return;
  const ReadOutcome read = port_.Read(buffer_.data() + end_, std::min(queued, room));
  if (read.status == IoStatus::kDeviceLost) deviceLost_ = true;
  end_ += read.count;
}

// Bytes that arrive in an empty receive buffer start the time-out clock.
void CConnect::GrowWindow() {
  if (window_ == 0 && Pending() > 0) firstByteTime_ = TimeGetTime();
  window_ = std::min(Pending(), kRecordMax);
}

bool CConnect::TimeoutPassed(bool inclusive) const {
  const std::uint32_t elapsed = ElapsedMs(firstByteTime_, TimeGetTime());
  const std::uint32_t timeout = receiveTimeout_.load(std::memory_order_relaxed);
  return inclusive ? elapsed >= timeout : elapsed > timeout;
}

int CConnect::Deliver(RecordBuffer& dest, std::size_t n) {
  std::memcpy(dest.data(), buffer_.data() + begin_, n);
  begin_ += n;
  window_ -= std::min(window_, n);
  if (begin_ == end_) begin_ = end_ = 0;
  return static_cast<int>(n);
}

// No whole record is waiting: `rest` goes out once timed out or once the device is gone.
int CConnect::EndOfInput(RecordBuffer& dest, std::size_t rest, bool timeoutInclusive) {
  if (rest > 0 && (deviceLost_ || TimeoutPassed(timeoutInclusive))) return Deliver(dest, rest);
  return deviceLost_ && Pending() == 0 ? kReadDeviceLost : kReadNothing;
}

int CConnect::ReadRecord(RecordBuffer& dest, std::string_view terminator) {
  if (!IsOpen() || terminator.empty()) return kReadNotOpen;
  framedMode_ = true;
  TerminatorMatcher matcher(terminator);
  GrowWindow();
  std::size_t length = matcher.FindRecordEnd(Window());
  if (length == 0 && window_ < kRecordMax) {
    FetchFromDriver();
    GrowWindow();
    length = matcher.FindRecordEnd(Window());
  }
  if (length != 0) return Deliver(dest, length);
  return EndOfInput(dest, window_, false);
}

int CConnect::ReadRaw(RecordBuffer& dest, std::int32_t recordLength) {
  if (!IsOpen()) return kReadNotOpen;
  framedMode_ = false;
  const std::size_t length =
      static_cast<std::size_t>(std::clamp(recordLength, 1, static_cast<std::int32_t>(kRecordMax)));
  if (Pending() < length) {
    const bool wasEmpty = Pending() == 0;
    FetchFromDriver();
    if (wasEmpty && Pending() > 0) firstByteTime_ = TimeGetTime();
  }
  // Bytes left behind are timed from this delivery.
  const int result =
      Pending() >= length ? Deliver(dest, length) : EndOfInput(dest, Pending(), true);
  if (result > 0) firstByteTime_ = TimeGetTime();
  return result;
}

}  // namespace vexa
