// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Lines on their way to the answer list, between two showings.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/RecordTag.h"

namespace vexa {

// A flood brings far more lines between two showings than the list keeps. Each line is kept
// as its bytes, among the others, and put in display form (text, or HEX digits) only when the
// list keeps it or it is longer than any line before it.
class PendingLines {
 public:
  // Bytes as received or sent: shown as text without `terminator`, or as HEX digits.
  void Add(std::string_view bytes, std::string_view terminator, bool hex, WallTime time,
           RecordOrigin origin);
  // A line already in display form (`hex`: HEX digits).
  void AddShown(std::string_view shown, WallTime time, RecordOrigin origin, bool hex = false);

  std::size_t Size() const { return lines_.size(); }
  bool AnySent() const { return anySent_; }
  // The greatest ShownLength among the lines.
  std::size_t LongestShownLength() const { return longestShown_; }
  bool Empty() const { return lines_.empty(); }
  void Clear();

  // The display form of line `i`, and its length without building it.
  std::string Shown(std::size_t i) const;
  std::size_t ShownLength(std::size_t i) const { return ShownLengthOf(lines_[i]); }
  WallTime Time(std::size_t i) const;
  RecordOrigin Origin(std::size_t i) const { return lines_[i].origin; }
  bool IsHex(std::size_t i) const { return lines_[i].hex; }

 private:
  enum class Form : std::uint8_t { kShown, kText, kHexDigits };
  struct Line {
    std::uint32_t chunk;
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

  void Append(std::string_view bytes, WallTime time, RecordOrigin origin, Form form, bool hex);
  std::string_view Bytes(const Line& line) const;
  static std::size_t ShownLengthOf(const Line& line);

  // Storage grows by pieces that stay where they are: a flood's lines between two showings
  // cost what they hold, and never twice that while one buffer moves to a larger one.
  std::vector<std::string> chunks_;  // each holds whole lines
  std::deque<Line> lines_;
  std::vector<TimeRun> times_;
  bool anySent_ = false;
  std::size_t longestShown_ = 0;
};

}  // namespace vexa
