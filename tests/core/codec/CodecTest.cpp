// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/codec/Codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vexa {
namespace {

using namespace std::string_literals;

struct HexCase {
  std::string text;
  bool ok;
  std::string bytes;  // the bytes completed before the end or the bad byte
};

TEST(HexToBytes, AcceptsExactlyPairsOfDigits) {
  const HexCase cases[] = {
      {"0d0A", true, "\x0D\x0A"},
      {"414", true, "A"},  // unpaired last digit ignored
      {"", true, ""},
      {"41 42", false, "A"},
      {"0x41", false, ""},
      {"4G", false, ""},
      {"\x82\x4F\x82\x50", false, ""},  // full-width digits
      {"00ff7F80", true, "\x00\xff\x7f\x80"s},
      {"41\n", false, "A"},
  };
  for (const HexCase& c : cases) {
    Bytes out = "stale";
    EXPECT_EQ(HexToBytes(c.text, out), c.ok) << c.text;
    EXPECT_EQ(out, c.bytes) << c.text;
  }
}

struct EscapeCase {
  std::string text;
  int result;
  std::string bytes;
};

TEST(DecodeEscapes, ResultsAndErrorPositions) {
  const EscapeCase cases[] = {
      {"AT\\r", 0, "AT\r"},
      {"\\x0041", 0, "A"},
      {"\\x414", 2, ""},
      {"\\xg", 2, ""},
      {"\\x", 2, ""},  // hex escape at the end: no digits
      {"\\101", 0, "A"},
      {"\\400", 1, ""},
      {"\\377", 0, "\xff"},
      {"\\0", 0, "\0"s},
      {"\\8", 1, ""},
      {"\\q", 1, ""},
      {"AB\\", 3, "AB"},
      {"\\\\", 0, "\\"},
      {"\\?", 0, "?"},
      {"ab\\q", 3, "ab"},
      {"\\a\\b\\f\\n\\r\\t\\v\\'\\\"", 0, "\a\b\f\n\r\t\v'\""},
      {"x\\x00y", 0, "x\0y"s},
      {"\\1234", 1, ""},  // octal digits run on: 668 is too large
      {"\\0101", 0, "A"},
      {"\\1018", 0, "A8"},  // 8 is not an octal digit
      {"\\xFF\\xfF", 0, "\xff\xff"},
      {"\\x100", 2, ""},
  };
  for (const EscapeCase& c : cases) {
    Bytes out;
    EXPECT_EQ(EscapeTextToBytes(c.text, out), c.result) << c.text;
    EXPECT_EQ(out, c.bytes) << c.text;
  }
}

TEST(DecodeEscapes, WritesClosingZeroAndCount) {
  const std::string text = "a\\0b";
  char dest[8];
  std::memset(dest, 'Z', sizeof dest);
  std::size_t count = 99;
  EXPECT_EQ(DecodeEscapes(text.data(), text.size(), dest, count), 0);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(std::string(dest, 4), "a\0b\0"s);
}

TEST(DecodeEscapes, StopsAtTheGivenLengthNotAtZero) {
  // A backslash right before the length limit must not read the byte after it.
  const std::string text = "A\\nB"s;
  char dest[8];
  std::size_t count = 0;
  EXPECT_EQ(DecodeEscapes(text.data(), 2, dest, count), 2);
  EXPECT_EQ(count, 1u);
}

TEST(DecodeEscapes, ShiftJisTrailByte5CIsABackslash) {
  // "ソ" is 0x83 0x5C in CP932: with escapes on, 0x5C and the following n form "\n".
  const std::string text = "\x83\x5Cn";
  Bytes out;
  EXPECT_EQ(EscapeTextToBytes(text, out), 0);
  EXPECT_EQ(out, "\x83\n");
}

struct TerminatorCase {
  std::string name;
  bool valid;
  std::string bytes;
};

TEST(TerminatorFromText, NamesAndEscapes) {
  const TerminatorCase cases[] = {
      {"CR", true, "\r"},
      {"LF", true, "\n"},
      {"CR+LF", true, "\r\n"},
      {"\x82\xC8\x82\xB5", true, ""},  // なし
      {"cr", false, ""},
      {"Cr+Lf", false, ""},
      {"", false, ""},
      {"\\x03", true, "\x03"},
      {"\\r\\n", true, "\r\n"},
      {"\\x0d\\x0a", true, "\r\n"},
      {"\\x02\\x03\\x04", false, ""},  // 3 bytes
      {"\\x0d\\x0a\\x0d", false, ""},
      {"\\x0d\\x0a\\x00", false, ""},
      {"\\x00", true, ""},
      {"\\x41\\x00", true, "A"},  // a decoded zero ends the terminator
      {"\\q", false, ""},
      {"\\", false, ""},
      {"\\x0000000041", false, ""},  // 12 characters: longer than the name field
      {"x\\r", false, ""},
  };
  for (const TerminatorCase& c : cases) {
    const auto bytes = TerminatorFromText(c.name);
    EXPECT_EQ(bytes.has_value(), c.valid) << c.name;
    if (bytes) {
      EXPECT_EQ(*bytes, c.bytes) << c.name;
    }
  }
}

TEST(DisplayForms, HexAndText) {
  EXPECT_EQ(HexDisplay("OK\r\n"), "4f4b0d0a");
  EXPECT_EQ(HexDisplay("\x00\xff"s), "00ff");
  EXPECT_EQ(TextDisplay("OK\r\n", "\r\n"), "OK");
  EXPECT_EQ(TextDisplay("A\0B\r\n"s, "\r\n"), "A.B");
  EXPECT_EQ(TextDisplay("OK\r\n", ""), "OK\r\n");  // no receive terminator
  EXPECT_EQ(TextDisplay("OK", "\r\n"), "OK");      // a time-out record keeps everything
  EXPECT_EQ(TextDisplay("OK\r", "\r\n"), "OK\r");
  EXPECT_EQ(TextDisplay("\r\n", "\r\n"), "");
  EXPECT_EQ(TextDisplay("\n", "\r\n"), "\n");
}

TEST(TerminatorMatcher, RecordEnds) {
  struct Case {
    std::string terminator, data;
    std::size_t end;
  };
  const Case cases[] = {
      {"\r\n", "OK\r\n", 4},
      {"\r\n", "\r\r\n", 3},  // the breaking CR starts a new match
      {"\r\n", "AT\r\r\nOK\r\n", 5},
      {"\r\n", "A\rB\n", 0},
      {"\r\n", "OK\r", 0},  // the second byte is still to come
      {"\r\n", "A\r\nB\r\n", 3},
      {"\n", "\n", 1},
      {"\n", "abc", 0},
      {"\r\r", "a\r\r\r", 3},
      {"ab", "aab", 3},
  };
  for (const Case& c : cases) {
    TerminatorMatcher matcher(c.terminator);
    EXPECT_EQ(matcher.FindRecordEnd(c.data), c.end) << c.data;
  }
}

TEST(TerminatorMatcher, KeepsItsCountAcrossFeeds) {
  TerminatorMatcher matcher("\r\n");
  EXPECT_FALSE(matcher.Feed('\r'));
  EXPECT_TRUE(matcher.Feed('\n'));
  EXPECT_FALSE(matcher.Feed('\n'));  // the count started over
}

}  // namespace
}  // namespace vexa
