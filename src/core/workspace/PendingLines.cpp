// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workspace/PendingLines.h"

#include <algorithm>
#include <iterator>

#include "core/codec/Codec.h"

namespace vexa {

void PendingLines::Add(std::string_view bytes, std::string_view terminator, bool hex, WallTime time,
                       RecordOrigin origin) {
  if (hex) {
    Append(bytes, time, origin, Form::kHexDigits, true);
    return;
  }
  Append(WithoutTerminator(bytes, terminator), time, origin, Form::kText, false);
}

void PendingLines::AddShown(std::string_view shown, WallTime time, RecordOrigin origin, bool hex) {
  Append(shown, time, origin, Form::kShown, hex);
}

void PendingLines::Append(std::string_view bytes, WallTime time, RecordOrigin origin, Form form,
                          bool hex) {
  if (times_.empty() || times_.back().time != time) times_.push_back({Size(), time});
  if (chunks_.empty() || chunks_.back().capacity() - chunks_.back().size() < bytes.size()) {
    if (!spareChunks_.empty() && spareChunks_.back().capacity() >= bytes.size()) {
      chunks_.push_back(std::move(spareChunks_.back()));
      spareChunks_.pop_back();
    } else {
      chunks_.emplace_back().reserve(std::max(kChunkBytes, bytes.size()));
    }
  }
  std::string& chunk = chunks_.back();
  lines_.push_back({static_cast<std::uint32_t>(firstChunk_ + chunks_.size() - 1),
                    static_cast<std::uint32_t>(chunk.size()),
                    static_cast<std::uint32_t>(bytes.size()), origin, form, hex});
  chunk.append(bytes);
  anySent_ = anySent_ || IsSent(origin);
  longestShown_ = std::max(longestShown_, ShownLengthOf(lines_.back()));
  if (lines_.size() > forgetAbove_) ForgetOldest(lines_.size() - keepAtMost_);
}

void PendingLines::ForgetOldest(std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const Line& line = lines_[i];
    if (ShownLengthOf(line) <= longestForgotten_) continue;
    longestForgotten_ = ShownLengthOf(line);
    longForgotten_.push_back({ShownForm(line), line.origin});
  }
  lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(count));
  forgotten_ += count;
  // The run that holds the first line kept stays, and those before it go.
  times_.erase(times_.begin(), times_.begin() + RunHolding(forgotten_));
  while (firstChunk_ < lines_.front().chunk) {
    spareChunks_.push_back(std::move(chunks_.front()));
    spareChunks_.back().clear();
    chunks_.pop_front();
    ++firstChunk_;
  }
}

void PendingLines::Clear() {
  for (std::string& chunk : chunks_) {
    chunk.clear();
    spareChunks_.push_back(std::move(chunk));
  }
  chunks_.clear();
  // Pieces beyond one showing's needs would stay resident for good after a flood.
  spareChunks_.resize(std::min(spareChunks_.size(), kSpareChunks));
  firstChunk_ = 0;
  lines_.clear();
  times_.clear();
  forgotten_ = 0;
  longForgotten_.clear();
  longestForgotten_ = 0;
  anySent_ = false;
  longestShown_ = 0;
}

std::string_view PendingLines::Bytes(const Line& line) const {
  return std::string_view(chunks_[line.chunk - firstChunk_]).substr(line.offset, line.length);
}

std::ptrdiff_t PendingLines::RunHolding(std::size_t line) const {
  const auto after =
      std::upper_bound(times_.begin(), times_.end(), line,
                       [](std::size_t i, const TimeRun& run) { return i < run.firstLine; });
  return std::prev(after) - times_.begin();
}

WallTime PendingLines::Time(std::size_t i) const {
  return times_[static_cast<std::size_t>(RunHolding(i))].time;
}

std::string PendingLines::Shown(std::size_t i) const {
  return ShownForm(At(i));
}

std::string PendingLines::ShownForm(const Line& line) const {
  const std::string_view bytes = Bytes(line);
  switch (line.form) {
    case Form::kText:
      return TextDisplay(bytes, {});
    case Form::kHexDigits:
      return HexDisplay(bytes);
    case Form::kShown:
      break;
  }
  return std::string(bytes);
}

std::size_t PendingLines::ShownLengthOf(const Line& line) {
  return line.form == Form::kHexDigits ? 2 * std::size_t{line.length} : line.length;
}

}  // namespace vexa
