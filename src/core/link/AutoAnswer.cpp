// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/AutoAnswer.h"

#include <algorithm>

namespace vexa {

int CompareAnswerBytes(std::string_view entry, std::string_view received) {
  const std::size_t common = std::min(entry.size(), received.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto e = static_cast<signed char>(entry[i]);
    const auto r = static_cast<signed char>(received[i]);
    if (e != r) return e > r ? 1 : -1;
  }
  return entry.size() > received.size() ? 1 : 0;
}

void CAutoAnswer::Insert(CAttr& item) {
  item.answerPending.store(0);
  item.answerTimerId = 0;
  const auto before = std::find_if(entries_.begin(), entries_.end(), [&](const CAttr* entry) {
    return CompareAnswerBytes(entry->receiveBytes, item.receiveBytes) > 0;
  });
  entries_.insert(before, &item);
  entryCount_.store(entries_.size(), std::memory_order_relaxed);
}

bool CAutoAnswer::Remove(CAttr& item) {
  const auto found = std::find(entries_.begin(), entries_.end(), &item);
  if (found == entries_.end()) return false;
  entries_.erase(found);
  entryCount_.store(entries_.size(), std::memory_order_relaxed);
  stopAnswer_(item);
  return true;
}

void CAutoAnswer::Clear() {
  matches_.clear();
  for (CAttr* entry : entries_) stopAnswer_(*entry);
  entries_.clear();
  entryCount_.store(0, std::memory_order_relaxed);
}

std::span<CAttr* const> CAutoAnswer::Match(std::string_view received) {
  matches_.clear();
  for (CAttr* entry : entries_) {
    const int order = CompareAnswerBytes(entry->receiveBytes, received);
    if (order > 0) break;  // sorted: no later entry can match
    if (order == 0) matches_.push_back(entry);
  }
  return matches_;
}

}  // namespace vexa
