// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/DefaultSet.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace vexa {
namespace {

TEST(DefaultCommandSet, ExactTextShape) {
  const std::string& text = DefaultCommandSetText();
  EXPECT_EQ(text.size() + 1, 4674u) << "with the closing zero";
  ASSERT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\r'), std::string::npos);

  std::map<int, int> rowsPerLevel;
  int lines = 0;
  int withData = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line); ++lines) {
    const auto comma = line.find(',');
    ASSERT_NE(comma, std::string::npos) << line;
    ++rowsPerLevel[std::stoi(line.substr(0, comma))];
    const auto semicolon = line.find(';', comma);
    if (semicolon != std::string::npos && semicolon + 1 < line.size()) ++withData;
  }
  EXPECT_EQ(lines, 202);
  EXPECT_EQ(rowsPerLevel, (std::map<int, int>{{2, 8}, {3, 30}, {4, 97}, {5, 67}}));
  EXPECT_EQ(withData, 152);
  // CP932, not UTF-8: "御機嫌伺い" starts with 0x8C 0xE4.
  EXPECT_EQ(text.substr(0, 4), "2,\x8C\xE4");
  EXPECT_NE(text.find("4,\xCC\xDB\xB0\x90\xA7\x8C\xE4\x82\xC8\x82\xB5;AT\\Q0\n"), std::string::npos)
      << "half-width katakana and the literal backslash of AT\\Q0";
}

}  // namespace
}  // namespace vexa
