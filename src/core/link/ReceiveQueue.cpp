// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/ReceiveQueue.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vexa {

int ReceiveQueue::Init(std::uint32_t capacity) {
  if (capacity == 0) return 0;
  std::lock_guard lock(mutex_);
  storage_ = std::make_unique<char[]>(capacity);
  capacity_ = capacity;
  read_ = write_ = 0;
  return 1;
}

int ReceiveQueue::Put(std::string_view record) {
  std::lock_guard lock(mutex_);
  return PutLocked(record);
}

int ReceiveQueue::PutDropOldest(std::string_view record, DroppedRecords& dropped) {
  std::lock_guard lock(mutex_);
  // Emptying the queue for a record that still would not fit would lose data for nothing.
  if (!storage_ || record.size() + kPrefix > capacity_ - 1) return 0;
  const std::uint32_t stored = static_cast<std::uint32_t>(record.size()) + kPrefix;
  if (FreeLocked() < stored) DropLocked(stored - FreeLocked(), &dropped);
  return PutLocked(record);
}

int ReceiveQueue::Get(std::span<char> dest, std::uint32_t& count) {
  std::lock_guard lock(mutex_);
  count = 0;
  const std::uint32_t stored = PeekLengthLocked();
  if (stored == 0 || stored - kPrefix > dest.size()) return 0;
  count = stored - kPrefix;
  CopyOut((read_ + kPrefix) % capacity_, dest.data(), count);
  read_ = (read_ + stored) % capacity_;
  return 1;
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
  std::swap(read_, other.read_);
  std::swap(write_, other.write_);
}

std::uint32_t ReceiveQueue::UsedLocked() const {
  if (read_ <= write_) return write_ - read_;
  return write_ + capacity_ - read_;
}

std::uint32_t ReceiveQueue::PeekLengthLocked() const {
  if (UsedLocked() < kPrefix) return 0;
  unsigned char prefix[kPrefix];
  CopyOut(read_, reinterpret_cast<char*>(prefix), kPrefix);
  return prefix[0] | prefix[1] << 8 | prefix[2] << 16 | static_cast<std::uint32_t>(prefix[3]) << 24;
}

void ReceiveQueue::CopyIn(std::uint32_t at, const char* bytes, std::uint32_t n) {
  const std::uint32_t first = std::min(n, capacity_ - at);
  std::memcpy(storage_.get() + at, bytes, first);
  std::memcpy(storage_.get(), bytes + first, n - first);
}

void ReceiveQueue::CopyOut(std::uint32_t at, char* dest, std::uint32_t n) const {
  const std::uint32_t first = std::min(n, capacity_ - at);
  std::memcpy(dest, storage_.get() + at, first);
  std::memcpy(dest + first, storage_.get(), n - first);
}

int ReceiveQueue::PutLocked(std::string_view record) {
  if (!storage_ || FreeLocked() < record.size() + kPrefix) return 0;
  const std::uint32_t n = static_cast<std::uint32_t>(record.size());
  const std::uint32_t stored = n + kPrefix;
  const char prefix[kPrefix] = {static_cast<char>(stored), static_cast<char>(stored >> 8),
                                static_cast<char>(stored >> 16), static_cast<char>(stored >> 24)};
  CopyIn(write_, prefix, kPrefix);
  CopyIn((write_ + kPrefix) % capacity_, record.data(), n);
  write_ = (write_ + stored) % capacity_;
  return 1;
}

std::uint32_t ReceiveQueue::DropLocked(std::uint32_t needed, DroppedRecords* dropped) {
  std::uint32_t removed = 0;
  while (removed < needed && UsedLocked() >= kPrefix) {
    const std::uint32_t stored = PeekLengthLocked();
    read_ = (read_ + stored) % capacity_;
    removed += stored;
    if (dropped) {
      ++dropped->records;
      dropped->bytes += stored - kPrefix;
    }
  }
  return removed;
}

}  // namespace vexa
