// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workspace/PendingLines.h"

#include <gtest/gtest.h>

#include <string>

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
  lines.Clear();
  EXPECT_TRUE(lines.Empty());
}

}  // namespace
}  // namespace vexa
