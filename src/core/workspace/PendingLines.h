// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Lines on their way to the answer list, between two showings.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/RecordTag.h"

namespace vexa {

// A flood brings far more lines between two showings than the list keeps. Each line is kept
// as its bytes, among the others, and put in display form (text, or HEX digits) only when the
// list keeps it or it is longer than any line before it. Only the newest `keepAtMost` lines
// (and at most a quarter more) stay: older ones are forgotten, apart from those longer than
// every line forgotten before them, which still set the list's width.
class PendingLines {
 public:
  explicit PendingLines(std::size_t keepAtMost = SIZE_MAX)
      : keepAtMost_(std::max<std::size_t>(keepAtMost, 1)),
        forgetAbove_(keepAtMost_ + std::min(keepAtMost_ / 4, SIZE_MAX - keepAtMost_)) {}

  // Bytes as received or sent: shown as text without `terminator`, or as HEX digits.
  void Add(std::string_view bytes, std::string_view terminator, bool hex, WallTime time,
           RecordOrigin origin);
  // A line already in display form (`hex`: HEX digits).
  void AddShown(std::string_view shown, WallTime time, RecordOrigin origin, bool hex = false);

  // Every line added since Clear, forgotten ones included; lines are numbered in that order.
  std::size_t Size() const { return forgotten_ + lines_.size(); }
  // Lines 0 to Forgotten() - 1 are gone: only the accessors below take the later ones.
  std::size_t Forgotten() const { return forgotten_; }
  bool AnySent() const { return anySent_; }
  // The greatest ShownLength among the lines, forgotten ones included.
  std::size_t LongestShownLength() const { return longestShown_; }
  bool Empty() const { return Size() == 0; }
  void Clear();

  // The display form of line `i`, and its length without building it.
  std::string Shown(std::size_t i) const;
  std::size_t ShownLength(std::size_t i) const { return ShownLengthOf(At(i)); }
  WallTime Time(std::size_t i) const;
  RecordOrigin Origin(std::size_t i) const { return At(i).origin; }
  bool IsHex(std::size_t i) const { return At(i).hex; }

  // Forgotten lines each longer than those forgotten before it, in order.
  struct LongLine {
    std::string shown;
    RecordOrigin origin;
  };
  const std::vector<LongLine>& LongForgottenLines() const { return longForgotten_; }

 private:
  enum class Form : std::uint8_t { kShown, kText, kHexDigits };
  struct Line {
    std::uint32_t chunk;  // counted from the first chunk since Clear
    std::uint32_t offset;
    std::uint32_t length;
    RecordOrigin origin;
    Form form;
    bool hex;
  };
  // The lines from `firstLine` on, up to the next run, arrived at `time`: lines read at once
  // share their arrival time.
  struct TimeRun {
    std::size_t firstLine;
    WallTime time;
  };
  static constexpr std::size_t kChunkBytes = 64 * 1024;
  static constexpr std::size_t kSpareChunks = 8;  // kept from one showing to the next

  void Append(std::string_view bytes, WallTime time, RecordOrigin origin, Form form, bool hex);
  void ForgetOldest(std::size_t count);
  std::ptrdiff_t RunHolding(std::size_t line) const;  // the index in times_ of its run
  const Line& At(std::size_t i) const { return lines_[i - forgotten_]; }
  std::string_view Bytes(const Line& line) const;
  std::string ShownForm(const Line& line) const;
  static std::size_t ShownLengthOf(const Line& line);

  std::size_t keepAtMost_;
  std::size_t forgetAbove_;  // lines are forgotten many at a time, not one by one
  // Storage grows by pieces that stay where they are: a flood's lines between two showings
  // cost what they hold, and never twice that while one buffer moves to a larger one. Pieces
  // whose lines are all forgotten serve again.
  std::deque<std::string> chunks_;  // each holds whole lines
  std::size_t firstChunk_ = 0;      // the number of chunks_.front()
  std::vector<std::string> spareChunks_;
  // Kept in vectors: their room serves every showing, where a deque took and gave back memory
  // as lines came and went.
  std::vector<Line> lines_;
  std::vector<TimeRun> times_;
  std::size_t forgotten_ = 0;
  std::vector<LongLine> longForgotten_;
  std::size_t longestForgotten_ = 0;
  bool anySent_ = false;
  std::size_t longestShown_ = 0;
};

}  // namespace vexa
