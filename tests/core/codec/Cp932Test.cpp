// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/codec/Cp932.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

using namespace std::string_literals;

TEST(Cp932, RoundTripsJapaneseText) {
  const std::string utf8 = "ﾌｧｲﾙの内容が不正です。～AT\\Q0";
  const std::string cp932 = Utf8ToCp932(utf8);
  EXPECT_EQ(cp932.substr(0, 4), "\xCC\xA7\xB2\xD9");  // half-width katakana are single bytes
  EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
}

TEST(Cp932, InvalidBytesShowAsReplacementWithoutLosingTheRest) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(Cp932ToUtf8("AB\x82"), "AB" + replacement);      // lone lead byte at the end
  EXPECT_EQ(Cp932ToUtf8("\x82...x"), replacement + "...x");  // a cut character
  EXPECT_EQ(Cp932ToUtf8("a\0b"s), "a\0b"s);                  // 0x00 is kept
  EXPECT_EQ(Cp932ToUtf8("\x82 \x82\xA2"), replacement + " \xE3\x81\x84");  // bad trail byte
}

TEST(Cp932, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80"
                        "b"),
            "a?b");                           // emoji
  EXPECT_EQ(Utf8ToCp932("\xC3\xA9"), "?");    // é
  EXPECT_EQ(Utf8ToCp932("x\xE3\x81"), "x?");  // cut UTF-8 sequence
  EXPECT_EQ(Utf8ToCp932("\xE3\x81"
                        "A"),
            "?A");  // the cut does not eat 'A'
}

TEST(Cp932, FindCharSkipsTrailBytes) {
  // "ソ" (0x83 0x5C) holds 0x5C as its trail byte; ";" in a trail position likewise.
  EXPECT_EQ(FindCp932Char("\x83\x5C\\x", '\\'), 2u);
  EXPECT_EQ(FindCp932Char("abc", ';'), std::string_view::npos);
  EXPECT_EQ(FindCp932Char("\xB1;x", ';'), 1u);  // half-width katakana are single bytes
  EXPECT_EQ(FindCp932Char("\x81", ';'), std::string_view::npos);  // lone lead at the end
}

}  // namespace
}  // namespace vexa
