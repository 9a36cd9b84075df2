// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Received records on their way from the receive thread to the thread that shows them: a ring
// of length-prefixed records (4 bytes little-endian counting themselves plus the data, then
// the data), wrapping at the end of the storage. One byte always stays free.

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

namespace vexa {

// What PutDropOldest had to remove; bytes count record data, not length prefixes.
struct DroppedRecords {
  std::uint64_t records = 0;
  std::uint64_t bytes = 0;
};

// One producer and one consumer may use it at once: a mutex guards every operation, because
// dropping the oldest records moves the read position from the producer's side too.
class ReceiveQueue {
 public:
  // 0 for capacity 0 (nothing changes); else new empty storage, 1.
  int Init(std::uint32_t capacity);
  // 1 stored; 0 no storage or not enough free space (nothing stored).
  int Put(std::string_view record);
  // Removes the oldest records as needed to store this one; adds what it removed to `dropped`.
  // 0 when there is no storage or the record could never fit.
  int PutDropOldest(std::string_view record, DroppedRecords& dropped);
  // Moves the oldest record's data to `dest`. 0 (count 0, the record stays) when empty or when
  // the data is longer than `dest`.
  int Get(std::span<char> dest, std::uint32_t& count);
  // Stored length (4 + data) of the oldest record, 0 when empty.
  std::uint32_t PeekLength() const;
  // Removes whole oldest records until at least `needed` stored bytes are gone (all of them
  // when `needed` is at least what is used); `needed` becomes the amount removed. Returns 1.
  int Drop(std::uint32_t& needed);
  // Exchanges the contents of two queues at once: a consumer takes everything queued with one
  // lock instead of one per record.
  void Swap(ReceiveQueue& other);

 private:
  static constexpr std::uint32_t kPrefix = 4;

  std::uint32_t UsedLocked() const;
  std::uint32_t FreeLocked() const { return capacity_ == 0 ? 0 : capacity_ - 1 - UsedLocked(); }
  std::uint32_t PeekLengthLocked() const;
  void CopyIn(std::uint32_t at, const char* bytes, std::uint32_t n);
  void CopyOut(std::uint32_t at, char* dest, std::uint32_t n) const;
  int PutLocked(std::string_view record);
  std::uint32_t DropLocked(std::uint32_t needed, DroppedRecords* dropped);

  mutable std::mutex mutex_;
  std::unique_ptr<char[]> storage_;
  std::uint32_t capacity_ = 0;
  std::uint32_t read_ = 0;   // first length byte of the oldest record
  std::uint32_t write_ = 0;  // where the next record starts
};

}  // namespace vexa
