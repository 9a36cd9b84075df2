// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The automatic-answer table: items whose receive bytes a received line may begin with, kept
// in ascending byte order so that a match can stop early.

#include <atomic>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "core/items/Attr.h"

namespace vexa {

// Order of an entry's bytes against received bytes, comparing bytes as signed 8-bit values:
// -1 or +1 at the first difference; without one, +1 when the entry is longer, else 0 (the
// entry is a prefix of, or equal to, the received bytes).
int CompareAnswerBytes(std::string_view entry, std::string_view received);

class CAutoAnswer {
 public:
  // `stopAnswer` cancels an item's pending answer when it leaves the table.
  explicit CAutoAnswer(std::function<void(CAttr&)> stopAnswer)
      : stopAnswer_(std::move(stopAnswer)) {}
  CAutoAnswer(const CAutoAnswer&) = delete;
  CAutoAnswer& operator=(const CAutoAnswer&) = delete;

  // Resets the item's answer state and files it after the entries with equal bytes.
  void Insert(CAttr& item);
  // True when it was in the table (its pending answer is stopped).
  bool Remove(CAttr& item);
  // Stops every pending answer and empties the table.
  void Clear();
  // Every entry whose receive bytes begin `received`, in table order; empty when none.
  // Valid until the next Match or Clear.
  std::span<CAttr* const> Match(std::string_view received);

  std::size_t Size() const { return entries_.size(); }
  // Any thread: whether a received line could start an answer now.
  bool AnyEntries() const { return entryCount_.load(std::memory_order_relaxed) != 0; }

 private:
  std::function<void(CAttr&)> stopAnswer_;
  std::atomic<std::size_t> entryCount_{0};
  std::vector<CAttr*> entries_;
  std::vector<CAttr*> matches_;
};

}  // namespace vexa
