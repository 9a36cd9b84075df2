// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one link to the serial port: opening with the line settings, complete writes, and
// cutting received bytes into records by terminator, by length or by time-out.

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "core/codec/Codec.h"
#include "core/link/PortNames.h"
#include "platform/Clock.h"
#include "platform/Port.h"
#include "platform/SerialDevices.h"

namespace vexa {

inline constexpr std::size_t kRecordMax = 512;
using RecordBuffer = std::array<char, kRecordMax>;

enum class OpenResult : int { kOk = 0, kFailed = 1 };
enum class CloseResult : int { kOk = 0, kNotOpen = 1 };
enum class WriteResult : int { kOk = 0, kFailed = 1, kNotOpen = 2, kDeviceLost = 3 };

// What a read gave: a record of `length` bytes, or why there is none yet. The statuses keep
// the values reads have always returned in place of a length.
struct RecordRead {
  enum class Status : int { kRecord = 1, kNothing = 0, kNotOpen = -1, kDeviceLost = -2 };
  Status status = Status::kNothing;
  std::size_t length = 0;
  WallTime arrival{};  // of a record: when its first byte was read from the driver

  bool IsRecord() const { return status == Status::kRecord; }
};

// Connecting to a port on another machine never holds up the window for longer.
inline constexpr std::chrono::milliseconds kNetworkConnectLimit{3000};

class CConnect {
 public:
  explicit CConnect(PortLookup lookup = {}) : lookup_(std::move(lookup)) {}
  CConnect(const CConnect&) = delete;
  CConnect& operator=(const CConnect&) = delete;

  // Port name as in the settings ("COM1", a device path, or a network port name; a network
  // port is connected within kNetworkConnectLimit). Stop bits 0 one, 1 one and a half, 2 two;
  // parity 0 none, 1 odd, 2 even, 3 mark, 4 space. Bytes of an earlier connection are
  // discarded.
  OpenResult Open(std::string_view portName, std::int32_t baudRate, std::int32_t stopBits,
                  std::int32_t parity, std::int32_t dataBits, std::int32_t receiveTimeoutMs);
  CloseResult Close();
  bool IsOpen() const;
  // Receive thread, once the device was lost and the port closed: the device of the last Open
  // again, with the line settings the link has now, within `limit`. The receive state starts
  // afresh; the mutex is not held while opening, so writers are refused at once meanwhile.
  OpenResult Reopen(std::chrono::milliseconds limit);
  // What the last Open resolved the port name to.
  std::string OpenedPath() const;
  // New line settings for the open port (they go over the network to an RFC 2217 port);
  // nothing when they are the ones it has. Kept for a Reopen while the port is closed.
  void ApplyLineSettings(const LineSettings& line);

  // Any thread; whole writes are serialised by the link mutex. Fails when the device takes
  // longer than 2 s plus the bytes' time at line speed.
  WriteResult Write(std::string_view bytes);

  // Receive thread only. The next record ending with `terminator` (1 or 2 bytes), or the
  // waiting bytes once more than the receive time-out passed since the first of them.
  RecordRead ReadRecord(RecordBuffer& dest, std::string_view terminator);
  // Receive thread only, after ReadRecord gave a record: the further whole records already
  // read, as ReadRecord would give them one by one, each handed to `onRecord(bytes, arrival)`
  // without a copy (`bytes` lasts until the next read). A flood brings hundreds per read.
  template <typename OnRecord>
  void TakeWaitingRecords(std::string_view terminator, OnRecord&& onRecord) {
    TerminatorMatcher matcher(terminator);
    for (;;) {
      GrowWindow();
      const std::size_t length = matcher.FindRecordEnd(Window());
      if (length == 0) return;
      const std::string_view record(buffer_.data() + begin_, length);
      onRecord(record, Consume(length));
    }
  }
  // Receive thread only. `recordLength` (1..512) bytes, or the rest once the time-out passed.
  RecordRead ReadRaw(RecordBuffer& dest, std::int32_t recordLength);
  void SetReadTimeouts(std::uint32_t timeoutMs);

  // For the receive thread's poll(): the port descriptor, whether to wait for input (not
  // while the buffer is full), and ms until waiting bytes become a record by time-out
  // (-1: no such bytes).
  int PollDescriptor() const { return port_ ? port_->Descriptor() : -1; }
  bool WantsInput() const;
  int MsUntilTimeoutRecord() const;
  // What poll() reported for the port, for the next read.
  void NotePollEvents(short revents);

  // Bytes taken from the driver per read: many records per system call.
  static constexpr std::size_t kReadChunk = 16384;

 private:
  std::size_t Pending() const { return end_ - begin_; }
  std::string_view Window() const { return {buffer_.data() + begin_, window_}; }
  void FetchFromDriver();
  void GrowWindow();
  bool TimeoutPassed(bool inclusive) const;
  RecordRead Deliver(RecordBuffer& dest, std::size_t n);
  // Takes the first `n` bytes off the buffer; their arrival.
  WallTime Consume(std::size_t n);
  RecordRead EndOfInput(RecordBuffer& dest, std::size_t rest, bool timeoutInclusive);
  void ResetReceiveState();

  PortLookup lookup_;
  mutable std::mutex mutex_;    // around writes, open and close
  std::unique_ptr<Port> port_;  // a tty, or a serial port on another machine
  std::string openedPath_;
  SerialDeviceInfo openedHardware_;  // what sysfs told of it at Open
  std::atomic<bool> open_{false};    // port_ is set; read without the mutex, which a write holds
  LineSettings line_;
  std::atomic<std::uint32_t> receiveTimeout_{0};

  // Receive thread's state. The buffer holds the oldest bytes not yet delivered, at
  // [begin_, end_); raw records are taken from it too, so that poll() can wait for more.
  // Records are cut from the window, its first bytes: exactly what a 512-byte receive buffer
  // filled from the driver on each read would hold, so framing and time-outs come out the same.
  std::uint32_t firstByteTime_ = 0;
  std::array<char, kReadChunk> buffer_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::size_t window_ = 0;
  // When the byte at begin_, and the bytes of the latest read, came from the driver. Bytes
  // older than the latest read are only ever the start of the next record: a read happens only
  // when no whole record is waiting, so the record after it takes them all.
  WallTime headArrival_{};
  WallTime lastReadArrival_{};
  bool framedMode_ = true;  // which time-out rule MsUntilTimeoutRecord applies
  bool readableSeen_ = false;
  bool driverEmptied_ = false;  // by the latest read, as far as it knows
  bool deviceLost_ = false;
};

}  // namespace vexa
