// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/Label.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(SplitLabel, FirstSeparatorThatIsACharacter) {
  struct Case {
    std::string label;
    char separator;
    bool found;
    std::string description, data;
  };
  const Case cases[] = {
      {"hello;AT", ';', true, "hello", "AT"},
      {"a;b;c", ';', true, "a", "b;c"},
      {";AT", ';', true, "", "AT"},
      {"head;", ';', true, "head", ""},
      {"heading", ';', false, "heading", ""},
      {"", ';', false, "", ""},
      {"\x83\x5C\\x", '\\', true, "\x83\x5C", "x"},  // 0x5C trail byte of "ソ" is skipped
      {"\x83\x5C", '\\', false, "\x83\x5C", ""},
      {"a/b", '/', true, "a", "b"},
  };
  for (const Case& c : cases) {
    std::string description = "stale", data = "stale";
    EXPECT_EQ(SplitLabel(c.label, c.separator, description, data), c.found) << c.label;
    EXPECT_EQ(description, c.description) << c.label;
    EXPECT_EQ(data, c.data) << c.label;
  }
}

TEST(DisplayTextOf, CutsAt120Bytes) {
  EXPECT_EQ(DisplayTextOf(std::string(120, 'a')), std::string(120, 'a'));
  EXPECT_EQ(DisplayTextOf(std::string(130, 'a')), std::string(120, 'a') + "...");
  EXPECT_EQ(DisplayTextOf(""), "");
}

}  // namespace
}  // namespace vexa
