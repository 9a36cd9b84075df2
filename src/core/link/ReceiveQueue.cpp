// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/ReceiveQueue.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace vexa {
namespace {

// A carried tag: microseconds since the epoch in the low 56 bits (little-endian), the
// origin in the top byte.
constexpr std::uint32_t kTagSize = kRecordTagBytes;
constexpr int kOriginShift = 56;

void PackTag(const RecordTag& tag, char* out) {
  const auto micros =
      std::chrono::duration_cast<std::chrono::microseconds>(tag.time.time_since_epoch()).count();
  const std::uint64_t bits =
      (static_cast<std::uint64_t>(micros) & ((std::uint64_t{1} << kOriginShift) - 1)) |
      static_cast<std::uint64_t>(tag.origin) << kOriginShift;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, &bits, kTagSize);  // one move, where the loop took a step per byte
  } else {
    for (std::uint32_t i = 0; i < kTagSize; ++i) out[i] = static_cast<char>(bits >> (8 * i));
  }
}

// A length prefix: 4 bytes, little-endian.
void PackLength(std::uint32_t stored, char* out) {
  for (std::uint32_t i = 0; i < kRecordPrefixBytes; ++i)
    out[i] = static_cast<char>(stored >> (8 * i));
}

std::uint32_t LengthFrom(const char* bytes) {
  unsigned char prefix[kRecordPrefixBytes];
  std::memcpy(prefix, bytes, sizeof prefix);
  return prefix[0] | prefix[1] << 8 | prefix[2] << 16 | static_cast<std::uint32_t>(prefix[3]) << 24;
}

RecordTag UnpackTag(const char* in) {
  std::uint64_t bits = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&bits, in, kTagSize);
  } else {
    for (int i = static_cast<int>(kTagSize) - 1; i >= 0; --i)
      bits = (bits << 8) | static_cast<unsigned char>(in[i]);
  }
  const auto micros = static_cast<std::int64_t>(bits & ((std::uint64_t{1} << kOriginShift) - 1));
  return {
      WallTime(std::chrono::duration_cast<WallTime::duration>(std::chrono::microseconds(micros))),
      static_cast<RecordOrigin>(bits >> kOriginShift)};
}

// The record stored from `at` among records laid one after another in stored form, with
// `tagBytes` of tag each; `stored` is set to the bytes it takes.
StoredRecords::Record RecordStoredAt(std::string_view bytes, std::size_t at, std::uint32_t tagBytes,
                                     std::uint32_t& stored) {
  stored = LengthFrom(bytes.data() + at);
  const RecordTag tag =
      tagBytes != 0 ? UnpackTag(bytes.data() + at + kRecordPrefixBytes) : RecordTag{};
  const std::size_t header = kRecordPrefixBytes + tagBytes;
  return {bytes.substr(at + header, stored - header), tag};
}

}  // namespace

void RecordBatch::Add(std::string_view record, const RecordTag& tag) {
  char header[kRecordPrefixBytes + kTagSize];
  PackLength(static_cast<std::uint32_t>(TaggedRecordBytes(record.size())), header);
  PackTag(tag, header + kRecordPrefixBytes);
  stored_.append(header, sizeof header);
  stored_.append(record);
}

int ReceiveQueue::Init(std::uint32_t capacity, RecordTags tags) {
  if (capacity == 0) return 0;
  std::lock_guard lock(mutex_);
  // Untouched until used: a quiet link never costs its pages, nor a start the time to clear them.
  storage_ = std::make_unique_for_overwrite<char[]>(capacity);
  capacity_ = capacity;
  tagBytes_ = tags == RecordTags::kCarried ? kTagSize : 0;
  read_ = write_ = 0;
  return 1;
}

int ReceiveQueue::Put(std::string_view record) {
  std::lock_guard lock(mutex_);
  return PutLocked(record, {});
}

int ReceiveQueue::PutDropOldest(std::string_view record, DroppedRecords& dropped) {
  std::lock_guard lock(mutex_);
  return PutDropOldestLocked(record, {}, dropped);
}

TaggedPut ReceiveQueue::PutDropOldest(std::string_view record, const RecordTag& tag) {
  std::lock_guard lock(mutex_);
  TaggedPut put{PutResult::kNotStored, {}};
  if (PutDropOldestLocked(record, tag, put.dropped)) put.result = PutResult::kStored;
  return put;
}

DroppedRecords ReceiveQueue::PutDropOldest(const RecordBatch& batch) {
  DroppedRecords dropped;
  const std::string_view stored(batch.stored_);
  std::lock_guard lock(mutex_);
  // In this queue's own form and no larger than it: room is made once, as record by record it
  // would be (the oldest records go, never the batch's own), and the batch goes in with one copy.
  if (tagBytes_ == kTagSize && stored.size() < capacity_) {
    const auto size = static_cast<std::uint32_t>(stored.size());
    if (FreeLocked() < size) DropLocked(size - FreeLocked(), &dropped);
    CopyIn(write_, stored.data(), size);
    write_ = Advance(write_, size);
    return dropped;
  }
  for (std::size_t at = 0; at < stored.size();) {
    std::uint32_t length = 0;
    const StoredRecords::Record record = RecordStoredAt(stored, at, kTagSize, length);
    PutDropOldestLocked(record.data, record.tag, dropped);
    at += length;
  }
  return dropped;
}

bool ReceiveQueue::CouldEverFit(std::string_view record) const {
  return storage_ && record.size() + kPrefix + tagBytes_ <= capacity_ - 1;
}

int ReceiveQueue::PutDropOldestLocked(std::string_view record, const RecordTag& tag,
                                      DroppedRecords& dropped) {
  // Emptying the queue for a record that still would not fit would lose data for nothing.
  if (!CouldEverFit(record)) return 0;
  const std::uint32_t stored = static_cast<std::uint32_t>(record.size()) + kPrefix + tagBytes_;
  if (FreeLocked() < stored) DropLocked(stored - FreeLocked(), &dropped);
  return PutLocked(record, tag);
}

int ReceiveQueue::Get(std::span<char> dest, std::uint32_t& count) {
  std::lock_guard lock(mutex_);
  const std::optional<TakenRecord> taken = TakeLocked(dest);
  count = taken ? taken->length : 0;
  return taken ? 1 : 0;
}

std::optional<TakenRecord> ReceiveQueue::Take(std::span<char> dest) {
  std::lock_guard lock(mutex_);
  return TakeLocked(dest);
}

std::optional<TakenRecord> ReceiveQueue::TakeLocked(std::span<char> dest) {
  const std::uint32_t stored = PeekLengthLocked();
  if (stored == 0 || stored - kPrefix - tagBytes_ > dest.size()) return std::nullopt;
  const TakenRecord taken{stored - kPrefix - tagBytes_, TagLocked()};
  CopyOut(Advance(read_, kPrefix + tagBytes_), dest.data(), taken.length);
  RemoveOldestLocked(stored);
  return taken;
}

std::size_t ReceiveQueue::TakeStored(StoredRecords& records, std::size_t maxBytes,
                                     std::size_t maxRecord) {
  if (records.AtEnd()) {
    records.bytes_.clear();
    records.next_ = 0;
  }
  std::lock_guard lock(mutex_);
  records.tagBytes_ = tagBytes_;
  const std::uint32_t used = UsedLocked();
  std::uint32_t taken = 0;
  std::size_t moved = 0;
  while (used - taken >= kPrefix) {
    const std::uint32_t stored = PeekLengthAt(Advance(read_, taken));
    if (stored - kPrefix - tagBytes_ > maxRecord || (moved > 0 && taken + stored > maxBytes)) break;
    taken += stored;
    ++moved;
  }
  if (moved == 0) return 0;
  const std::size_t end = records.bytes_.size();
  records.bytes_.resize(end + taken);
  CopyOut(read_, records.bytes_.data() + end, taken);
  RemoveOldestLocked(taken);
  return moved;
}

StoredRecords::Record StoredRecords::Next() {
  std::uint32_t stored = 0;
  const Record record = RecordStoredAt(bytes_, next_, tagBytes_, stored);
  next_ += stored;
  return record;
}

RecordTag ReceiveQueue::TagLocked() const {
  if (tagBytes_ == 0) return {};
  char tag[kTagSize];
  CopyOut(Advance(read_, kPrefix), tag, kTagSize);
  return UnpackTag(tag);
}

void ReceiveQueue::RemoveOldestLocked(std::uint32_t stored) {
  read_ = Advance(read_, stored);
  // An empty queue starts again from the front: a slow stream then keeps using the same few
  // pages instead of touching every page of the storage as it goes round.
  if (read_ == write_) read_ = write_ = 0;
}

std::uint32_t ReceiveQueue::PeekLength() const {
  std::lock_guard lock(mutex_);
  return PeekLengthLocked();
}

int ReceiveQueue::Drop(std::uint32_t& needed) {
  std::lock_guard lock(mutex_);
  needed = DropLocked(needed, nullptr);
  return 1;
}

void ReceiveQueue::Swap(ReceiveQueue& other) {
  std::scoped_lock lock(mutex_, other.mutex_);
  std::swap(storage_, other.storage_);
  std::swap(capacity_, other.capacity_);
  std::swap(tagBytes_, other.tagBytes_);
  std::swap(read_, other.read_);
  std::swap(write_, other.write_);
}

std::uint32_t ReceiveQueue::Used() const {
  std::lock_guard lock(mutex_);
  return UsedLocked();
}

std::uint32_t ReceiveQueue::UsedLocked() const {
  if (read_ <= write_) return write_ - read_;
  return write_ + capacity_ - read_;
}

std::uint32_t ReceiveQueue::PeekLengthLocked() const {
  if (UsedLocked() < kPrefix) return 0;
  return PeekLengthAt(read_);
}

std::uint32_t ReceiveQueue::PeekLengthAt(std::uint32_t at) const {
  char prefix[kPrefix];
  CopyOut(at, prefix, kPrefix);
  return LengthFrom(prefix);
}

int ReceiveQueue::PutLocked(std::string_view record, const RecordTag& tag) {
  if (!storage_ || FreeLocked() < record.size() + kPrefix + tagBytes_) return 0;
  const std::uint32_t n = static_cast<std::uint32_t>(record.size());
  const std::uint32_t stored = n + kPrefix + tagBytes_;
  char prefix[kPrefix];
  PackLength(stored, prefix);
  CopyIn(write_, prefix, kPrefix);
  if (tagBytes_ != 0) {
    char packed[kTagSize];
    PackTag(tag, packed);
    CopyIn(Advance(write_, kPrefix), packed, kTagSize);
  }
  CopyIn(Advance(write_, kPrefix + tagBytes_), record.data(), n);
  write_ = Advance(write_, stored);
  return 1;
}

RecordOrigin ReceiveQueue::OriginAt(std::uint32_t at) const {
  if (tagBytes_ == 0) return RecordOrigin::kReceived;
  char origin;
  CopyOut(Advance(at, kPrefix + kTagSize - 1), &origin, 1);
  return static_cast<RecordOrigin>(origin);
}

std::uint32_t ReceiveQueue::DropLocked(std::uint32_t needed, DroppedRecords* dropped) {
  std::uint32_t removed = 0;
  while (removed < needed && UsedLocked() >= kPrefix) {
    const std::uint32_t stored = PeekLengthLocked();
    if (dropped && OriginAt(read_) == RecordOrigin::kReceived) {
      ++dropped->records;
      dropped->bytes += stored - kPrefix - tagBytes_;
    }
    read_ = Advance(read_, stored);
    removed += stored;
  }
  return removed;
}

}  // namespace vexa
