// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/Connect.h"

#include <poll.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/codec/Codec.h"
#include "core/settings/CommSettings.h"
#include "platform/Clock.h"
#include "platform/NetworkPort.h"
#include "platform/SerialDevices.h"
#include "platform/TtyPort.h"

namespace vexa {

namespace {

std::unique_ptr<Port> OpenPort(const std::string& name, const LineSettings& line,
                               std::chrono::milliseconds networkLimit) {
  if (const std::optional<NetworkPortName> network = ParseNetworkPortName(name)) {
    return NetworkPort::Connect(network->address, network->protocol, line, networkLimit).port;
  }
  auto tty = std::make_unique<TtyPort>();
  if (tty->Open(name, line) != IoStatus::kOk) return nullptr;
  return tty;
}

SerialDeviceInfo HardwareBehind(const std::string& name) {
  if (ParseNetworkPortName(name)) return {};
  return DescribeDevicePath(name);
}

}  // namespace

OpenResult CConnect::Open(std::string_view portName, std::int32_t baudRate, std::int32_t stopBits,
                          std::int32_t parity, std::int32_t dataBits,
                          std::int32_t receiveTimeoutMs) {
  std::lock_guard lock(mutex_);
  if (port_) return OpenResult::kFailed;
  ResetReceiveState();
  const std::optional<std::string> name = ResolvePortName(portName, lookup_);
  line_ = LineSettings{baudRate, stopBits, parity, dataBits};
  openedPath_ = name.value_or(std::string());
  if (name) port_ = OpenPort(*name, line_, kNetworkConnectLimit);
  if (!port_) return OpenResult::kFailed;
  openedHardware_ = HardwareBehind(openedPath_);
  open_.store(true);
  SetReadTimeouts(static_cast<std::uint32_t>(std::max(receiveTimeoutMs, 0)));
  return OpenResult::kOk;
}

OpenResult CConnect::Reopen(std::chrono::milliseconds limit) {
  std::string path;
  LineSettings line;
  SerialDeviceInfo hardware;
  {
    std::lock_guard lock(mutex_);
    if (port_ || openedPath_.empty()) return OpenResult::kFailed;
    path = openedPath_;
    line = line_;
    hardware = openedHardware_;
  }
  // Another adapter plugged in under the same name is not the device this link was talking to.
  if (!IsSameHardware(hardware, HardwareBehind(path))) return OpenResult::kFailed;
  std::unique_ptr<Port> port = OpenPort(path, line, limit);
  if (!port) return OpenResult::kFailed;
  std::lock_guard lock(mutex_);
  // Settings changed while opening are the ones the link has now.
  if (line_ != line) port->ApplyLineSettings(line_);
  ResetReceiveState();
  port_ = std::move(port);
  open_.store(true);
  return OpenResult::kOk;
}

std::string CConnect::OpenedPath() const {
  std::lock_guard lock(mutex_);
  return openedPath_;
}

void CConnect::ResetReceiveState() {
  begin_ = end_ = window_ = 0;
  firstByteTime_ = TimeGetTime();
  driverEmptied_ = readableSeen_ = deviceLost_ = false;
}

CloseResult CConnect::Close() {
  std::lock_guard lock(mutex_);
  if (!port_) return CloseResult::kNotOpen;
  open_.store(false);
  port_.reset();
  return CloseResult::kOk;
}

bool CConnect::IsOpen() const {
  return open_.load();
}

void CConnect::ApplyLineSettings(const LineSettings& line) {
  std::lock_guard lock(mutex_);
  if (line == line_) return;
  line_ = line;
  if (port_) port_->ApplyLineSettings(line);
}

WriteResult CConnect::Write(std::string_view bytes) {
  std::lock_guard lock(mutex_);
  if (!port_) return WriteResult::kNotOpen;
  switch (port_->WriteAll(bytes, WriteTimeLimit(bytes.size(), line_))) {
    case IoStatus::kOk:
      return WriteResult::kOk;
    case IoStatus::kDeviceLost:
      return WriteResult::kDeviceLost;
    default:
      return WriteResult::kFailed;
  }
}

void CConnect::SetReadTimeouts(std::uint32_t timeoutMs) {
  receiveTimeout_.store(timeoutMs, std::memory_order_relaxed);
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
  // A read that took all the driver held emptied it: asking again before the caller has been
  // told nothing is waiting would find nothing (a system call less per wake).
  if (driverEmptied_) return;
  const IoCount waiting = port_->QueuedBytes();
  if (waiting.status == IoStatus::kDeviceLost) deviceLost_ = true;
  if (waiting.status != IoStatus::kOk) return;
  std::size_t queued = waiting.count;
  // poll() said readable but nothing is queued: a read of 0 bytes tells whether it hung up.
  if (queued == 0 && readableSeen_) queued = 1;
  readableSeen_ = false;
  if (queued == 0) return;
  const IoCount read = port_->Read(buffer_.data() + end_, std::min(queued, room));
  if (read.status == IoStatus::kDeviceLost) deviceLost_ = true;
  driverEmptied_ = queued <= room;
  if (read.count == 0) return;
  lastReadArrival_ = WallClockNow();
  if (Pending() == 0) headArrival_ = lastReadArrival_;
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

RecordRead CConnect::Deliver(RecordBuffer& dest, std::size_t n) {
  std::memcpy(dest.data(), buffer_.data() + begin_, n);
  return {RecordRead::Status::kRecord, n, Consume(n)};
}

// The bytes stay where they are until the next read from the driver.
WallTime CConnect::Consume(std::size_t n) {
  begin_ += n;
  window_ -= std::min(window_, n);
  if (begin_ == end_) begin_ = end_ = 0;
  const WallTime arrival = headArrival_;
  headArrival_ = lastReadArrival_;
  return arrival;
}

// No whole record is waiting: `rest` goes out once timed out or once the device is gone.
RecordRead CConnect::EndOfInput(RecordBuffer& dest, std::size_t rest, bool timeoutInclusive) {
  driverEmptied_ = false;  // the caller waits for more before it asks again
  if (rest > 0 && (deviceLost_ || TimeoutPassed(timeoutInclusive))) return Deliver(dest, rest);
  return {deviceLost_ && Pending() == 0 ? RecordRead::Status::kDeviceLost
                                        : RecordRead::Status::kNothing,
          0};
}

RecordRead CConnect::ReadRecord(RecordBuffer& dest, std::string_view terminator) {
  if (!IsOpen() || terminator.empty()) return {RecordRead::Status::kNotOpen, 0};
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

RecordRead CConnect::ReadRaw(RecordBuffer& dest, std::int32_t recordLength) {
  if (!IsOpen()) return {RecordRead::Status::kNotOpen, 0};
  framedMode_ = false;
  const std::size_t length =
      static_cast<std::size_t>(std::clamp(recordLength, 1, static_cast<std::int32_t>(kRecordMax)));
  if (Pending() < length) {
    const bool wasEmpty = Pending() == 0;
    FetchFromDriver();
    if (wasEmpty && Pending() > 0) firstByteTime_ = TimeGetTime();
  }
  // Bytes left behind are timed from this delivery.
  const RecordRead result =
      Pending() >= length ? Deliver(dest, length) : EndOfInput(dest, Pending(), true);
  if (result.IsRecord()) firstByteTime_ = TimeGetTime();
  return result;
}

}  // namespace vexa
