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
  if (times_.empty() || times_.back().time != time) times_.push_back({lines_.size(), time});
  if (chunks_.empty() || chunks_.back().capacity() - chunks_.back().size() < bytes.size()) {
    chunks_.emplace_back().reserve(std::max(kChunkBytes, bytes.size()));
  }
  std::string& chunk = chunks_.back();
  lines_.push_back({static_cast<std::uint32_t>(chunks_.size() - 1),
                    static_cast<std::uint32_t>(chunk.size()),
                    static_cast<std::uint32_t>(bytes.size()), origin, form, hex});
  chunk.append(bytes);
  anySent_ = anySent_ || IsSent(origin);
  longestShown_ = std::max(longestShown_, ShownLengthOf(lines_.back()));
}

void PendingLines::Clear() {
  chunks_.resize(std::min<std::size_t>(chunks_.size(), 1));  // the first serves again
  if (!chunks_.empty()) chunks_.front().clear();
  lines_.clear();
  times_.clear();
  anySent_ = false;
  longestShown_ = 0;
}

std::string_view PendingLines::Bytes(const Line& line) const {
  return std::string_view(chunks_[line.chunk]).substr(line.offset, line.length);
}

WallTime PendingLines::Time(std::size_t i) const {
  const auto after =
      std::upper_bound(times_.begin(), times_.end(), i,
                       [](std::size_t line, const TimeRun& run) { return line < run.firstLine; });
  return std::prev(after)->time;
}

std::string PendingLines::Shown(std::size_t i) const {
  const Line& line = lines_[i];
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
