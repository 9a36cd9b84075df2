// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Received records on their way from the receive thread to the thread that shows them: a ring
// of length-prefixed records (4 bytes little-endian counting themselves plus the data, then
// the data), wrapping at the end of the storage. One byte always stays free.
//
// A queue may carry a RecordTag with every record: it is stored between the length prefix
// (which then counts it too) and the data.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/link/RecordTag.h"

namespace vexa {

// What PutDropOldest had to remove; bytes count record data, not length prefixes or tags.
// Only received records count: a sent entry is a copy kept for the display.
struct DroppedRecords {
  std::uint64_t records = 0;
  std::uint64_t bytes = 0;
};

enum class RecordTags { kNone, kCarried };
// What a carried tag adds to each record's stored bytes.
inline constexpr std::uint32_t kRecordTagBytes = 8;
// What each record's length prefix adds.
inline constexpr std::uint32_t kRecordPrefixBytes = 4;
// What a record of `length` data bytes takes of a queue that carries tags: short lines take
// nearly twice their length.
constexpr std::size_t TaggedRecordBytes(std::size_t length) {
  return kRecordPrefixBytes + kRecordTagBytes + length;
}

enum class PutResult : int { kNotStored = 0, kStored = 1 };

struct TaggedPut {
  PutResult result;
  DroppedRecords dropped;  // removed to make room for this record
};

struct TakenRecord {
  std::uint32_t length;  // data bytes copied to the destination
  RecordTag tag;
};

// Records a producer gathers and puts into a queue at once: one lock for many short records.
// They are gathered in a tagged queue's stored form (length prefix, tag, data), so that such a
// queue takes them with one copy.
class RecordBatch {
 public:
  void Add(std::string_view record, const RecordTag& tag);
  bool Empty() const { return stored_.empty(); }
  // The records' stored bytes, prefixes and tags included.
  std::size_t StoredBytes() const { return stored_.size(); }
  void Clear() { stored_.clear(); }

 private:
  friend class ReceiveQueue;
  std::string stored_;
};

// Records taken from a queue in its stored form (length prefix, tag, data), read back one by
// one: a single copy for many records, where moving them one at a time cost a copy, a tag and
// a list entry each.
class StoredRecords {
 public:
  bool AtEnd() const { return next_ == bytes_.size(); }
  // The next record; its data stays valid until more records are taken into this object.
  struct Record {
    std::string_view data;
    RecordTag tag;
  };
  Record Next();

 private:
  friend class ReceiveQueue;
  std::string bytes_;
  std::size_t next_ = 0;
  std::uint32_t tagBytes_ = 0;  // per record, as in the queue they came from
};

// Producers (the receive thread, and the sending threads while writes are recorded) and one
// consumer may use it at once: a mutex guards every operation, because dropping the oldest
// records moves the read position from a producer's side too.
class ReceiveQueue {
 public:
  // 0 for capacity 0 (nothing changes); else new empty storage, 1.
  int Init(std::uint32_t capacity, RecordTags tags = RecordTags::kNone);
  // 1 stored; 0 no storage or not enough free space (nothing stored).
  int Put(std::string_view record);
  // Removes the oldest records as needed to store this one; adds what it removed to `dropped`.
  // 0 when there is no storage or the record could never fit.
  int PutDropOldest(std::string_view record, DroppedRecords& dropped);
  // As PutDropOldest, with the record's tag (kept only by a queue that carries tags).
  TaggedPut PutDropOldest(std::string_view record, const RecordTag& tag);
  // As PutDropOldest for every record of `batch` in turn, under one lock; what was removed to
  // make room. Records that could never fit are left out.
  DroppedRecords PutDropOldest(const RecordBatch& batch);
  // Moves the oldest record's data to `dest`. 0 (count 0, the record stays) when empty or when
  // the data is longer than `dest`.
  int Get(std::span<char> dest, std::uint32_t& count);
  // As Get, with the record's tag (a default tag from a queue that carries none).
  std::optional<TakenRecord> Take(std::span<char> dest);
  // Moves the oldest records with their tags into `records` under one lock (what it held is
  // dropped once all of it was read), while their stored bytes stay within `maxBytes` (one
  // record at least); none with data longer than `maxRecord`, which stays as Take would leave
  // it. How many were moved.
  std::size_t TakeStored(StoredRecords& records, std::size_t maxBytes, std::size_t maxRecord);
  // Stored length (4 + data) of the oldest record, 0 when empty.
  std::uint32_t PeekLength() const;
  // Stored bytes in use: records with their prefixes and tags.
  std::uint32_t Used() const;
  // Removes whole oldest records until at least `needed` stored bytes are gone (all of them
  // when `needed` is at least what is used); `needed` becomes the amount removed. Returns 1.
  int Drop(std::uint32_t& needed);
  // Exchanges the contents of two queues at once: a consumer takes everything queued with one
  // lock instead of one per record.
  void Swap(ReceiveQueue& other);

 private:
  static constexpr std::uint32_t kPrefix = kRecordPrefixBytes;

  // `at` moved on by `by` round the ring (both below the capacity): no division per step.
  std::uint32_t Advance(std::uint32_t at, std::uint32_t by) const {
    const std::uint32_t to = at + by;
    return to >= capacity_ ? to - capacity_ : to;
  }
  std::uint32_t UsedLocked() const;
  std::uint32_t FreeLocked() const { return capacity_ == 0 ? 0 : capacity_ - 1 - UsedLocked(); }
  std::uint32_t PeekLengthLocked() const;
  std::uint32_t PeekLengthAt(std::uint32_t at) const;  // of the record stored from `at`
  // Inline, so that the fixed-size prefix and tag copies become plain moves; most copies do
  // not wrap and take one call.
  void CopyIn(std::uint32_t at, const char* bytes, std::uint32_t n) {
    const std::uint32_t first = capacity_ - at;
    if (n <= first) {
      std::memcpy(storage_.get() + at, bytes, n);
      return;
    }
    std::memcpy(storage_.get() + at, bytes, first);
    std::memcpy(storage_.get(), bytes + first, n - first);
  }
  void CopyOut(std::uint32_t at, char* dest, std::uint32_t n) const {
    const std::uint32_t first = capacity_ - at;
    if (n <= first) {
      std::memcpy(dest, storage_.get() + at, n);
      return;
    }
    std::memcpy(dest, storage_.get() + at, first);
    std::memcpy(dest + first, storage_.get(), n - first);
  }
  bool CouldEverFit(std::string_view record) const;
  int PutLocked(std::string_view record, const RecordTag& tag);
  int PutDropOldestLocked(std::string_view record, const RecordTag& tag, DroppedRecords& dropped);
  std::optional<TakenRecord> TakeLocked(std::span<char> dest);
  RecordTag TagLocked() const;                    // of the oldest record
  void RemoveOldestLocked(std::uint32_t stored);  // after its data was copied out
  RecordOrigin OriginAt(std::uint32_t at) const;
  std::uint32_t DropLocked(std::uint32_t needed, DroppedRecords* dropped);

  mutable std::mutex mutex_;
  std::unique_ptr<char[]> storage_;
  std::uint32_t capacity_ = 0;
  std::uint32_t tagBytes_ = 0;  // per record: 0, or a carried tag's size
  std::uint32_t read_ = 0;      // first length byte of the oldest record
  std::uint32_t write_ = 0;     // where the next record starts
};

}  // namespace vexa
