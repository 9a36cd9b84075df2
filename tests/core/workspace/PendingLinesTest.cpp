// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workspace/PendingLines.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace vexa {
namespace {

using namespace std::string_literals;

// Each line comes out in the display form the list shows, its length known without building
// it, whatever form came before it in the buffer.
TEST(PendingLines, LinesComeOutInTheirDisplayForm) {
  struct Case {
    std::string bytes;
    std::string terminator;
    bool hex;
    std::string shown;
  };
  const Case cases[] = {
      {"OK\r\n", "\r\n", false, "OK"},
      {"A\0B\r\n"s, "\r\n", false, "A.B"},   // NUL shown as a dot
      {"no end", "\r\n", false, "no end"},   // the last bytes before a time-out
      {"OK\r\n", "\r\n", true, "4f4b0d0a"},  // HEX keeps the terminator
      {"\r\n", "\r\n", false, ""},           // an empty line
      {"\xff\x00"s, "", true, "ff00"},
  };
  PendingLines lines;
  const WallTime time = WallClockNow();
  for (const Case& c : cases)
    lines.Add(c.bytes, c.terminator, c.hex, time, RecordOrigin::kReceived);
  lines.AddShown("--- note ---", time, RecordOrigin::kNote);
  ASSERT_EQ(lines.Size(), std::size(cases) + 1);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(lines.Shown(i), cases[i].shown) << i;
    EXPECT_EQ(lines.ShownLength(i), cases[i].shown.size()) << i;
    EXPECT_EQ(lines.IsHex(i), cases[i].hex) << i;
  }
  EXPECT_EQ(lines.Shown(std::size(cases)), "--- note ---");
  EXPECT_EQ(lines.Origin(std::size(cases)), RecordOrigin::kNote);
  EXPECT_EQ(lines.LongestShownLength(), std::string("--- note ---").size());
  EXPECT_FALSE(lines.AnySent());
  lines.Add("AT\r", "\r", true, time, RecordOrigin::kSentPeriodic);
  EXPECT_TRUE(lines.AnySent());
  EXPECT_EQ(lines.LongestShownLength(), std::string("--- note ---").size());
  lines.Clear();
  EXPECT_TRUE(lines.Empty());
  EXPECT_FALSE(lines.AnySent());
  EXPECT_EQ(lines.LongestShownLength(), 0u);
}

// A flood: many lines, some far longer than others, arriving in groups that share a time.
// Kept short, it forgets its oldest lines but the long ones among them.
TEST(PendingLines, AFloodComesOutLineForLineWithItsTimes) {
  for (const std::size_t keep : {std::size_t{SIZE_MAX}, std::size_t{3000}}) {
    PendingLines lines(keep);
    std::vector<std::string> sent;
    std::vector<WallTime> times;
    const WallTime start = WallClockNow();
    for (int i = 0; i < 20000; ++i) {
      std::string text = "line " + std::to_string(i);
      if (i % 5000 == 4999) text.append(300 * 1024, 'x');  // longer than the rest together
      const WallTime time = start + std::chrono::milliseconds(i / 7);
      lines.Add(text + "\n", "\n", false, time, RecordOrigin::kReceived);
      sent.push_back(text);
      times.push_back(time);
    }
    ASSERT_EQ(lines.Size(), sent.size());
    const std::size_t kept = lines.Size() - lines.Forgotten();
    if (keep == SIZE_MAX) {
      ASSERT_EQ(kept, sent.size());
    } else {
      ASSERT_GE(kept, keep);
      ASSERT_LE(kept, keep + keep / 4) << "little more than asked";
    }
    for (std::size_t i = lines.Forgotten(); i < sent.size(); ++i) {
      ASSERT_EQ(lines.Shown(i), sent[i]) << i;
      ASSERT_EQ(lines.Time(i), times[i]) << i;
    }
    std::vector<std::string> longForgotten;
    for (const auto& line : lines.LongForgottenLines()) longForgotten.push_back(line.shown);
    const std::vector<std::string> expected =
        keep == SIZE_MAX ? std::vector<std::string>{}
                         : std::vector<std::string>{sent[0],    sent[10],   sent[100],
                                                    sent[1000], sent[4999], sent[14999]};
    // Compared whole, not printed: the long lines would fill the screen.
    EXPECT_TRUE(longForgotten == expected) << "9999 is no longer than 4999; 14999 is";
    EXPECT_EQ(lines.LongestShownLength(), sent[19999].size());
    lines.Clear();
    lines.Add("again\n", "\n", false, start, RecordOrigin::kReceived);
    EXPECT_EQ(lines.Shown(0), "again");
    EXPECT_EQ(lines.Time(0), start);
    EXPECT_EQ(lines.Forgotten(), 0u);
    EXPECT_TRUE(lines.LongForgottenLines().empty());
  }
}

}  // namespace
}  // namespace vexa
