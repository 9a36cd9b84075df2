// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegDocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vexa {
namespace {

constexpr std::string_view kKey = "software\\marlen\\Vexa\\window";

std::string Section(std::string_view body) {
  return "Windows Registry Editor Version "
         "5.00\n\n[HKEY_CURRENT_USER\\software\\marlen\\Vexa\\window]\n" +
         std::string(body);
}

struct ReadCase {
  const char* what;
  std::string body;
  std::optional<PreferenceValue> expected;
};

TEST(RegDocument, ReadsEachDataFormAndRejectsBrokenOnes) {
  const ReadCase cases[] = {
      {"text", "\"v\"=\"C:\\\\x\\\"y\"\n", PreferenceValue::Text("C:\\x\"y")},
      {"empty text", "\"v\"=\"\"\n", PreferenceValue::Text("")},
      {"dword", "\"v\"=dword:0000002a\n", PreferenceValue::Dword(42)},
      {"short dword", "\"v\"=DWORD:ff\n", PreferenceValue::Dword(255)},
      {"binary", "\"v\"=hex:2c,00,FF\n", PreferenceValue::Binary(std::string("\x2c\x00\xff", 3))},
      {"empty binary", "\"v\"=hex:\n", PreferenceValue::Binary("")},
      {"continued binary", "\"v\"=hex:01,02,\\\n  03,04\n",
       PreferenceValue::Binary("\x01\x02\x03\x04")},
      {"crlf lines", "\"v\"=dword:00000007\r\n", PreferenceValue::Dword(7)},
      {"text as hex(1)", "\"v\"=hex(1):61,0a,62,00\n", PreferenceValue::Text("a\nb")},
      {"dword as hex(4)", "\"v\"=hex(4):2a,00,00,00\n", PreferenceValue::Dword(42)},
      {"name without case", "\"V\"=dword:00000001\n", PreferenceValue::Dword(1)},
      {"last wins", "\"v\"=dword:00000001\n\"v\"=dword:00000002\n", PreferenceValue::Dword(2)},
      {"deleted", "\"v\"=dword:00000001\n\"v\"=-\n", std::nullopt},
      {"unterminated text", "\"v\"=\"abc\n", std::nullopt},
      {"text with trailing junk", "\"v\"=\"abc\"x\n", std::nullopt},
      {"dword too long", "\"v\"=dword:000000001\n", std::nullopt},
      {"dword not hex", "\"v\"=dword:0000002g\n", std::nullopt},
      {"byte not hex", "\"v\"=hex:2c,0g\n", std::nullopt},
      {"trailing comma", "\"v\"=hex:2c,\n", std::nullopt},
      {"unknown type", "\"v\"=hex(7):00,00\n", std::nullopt},
      {"no equals sign", "\"v\" dword:00000001\n", std::nullopt},
      {"absent", "\"w\"=dword:00000001\n", std::nullopt},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(RegDocument::Parse(Section(c.body)).Find(kKey, "v"), c.expected) << c.what;
  }
}

TEST(RegDocument, KeysMatchWithoutCaseAndOnlyBelowTheCurrentUser) {
  const auto doc = RegDocument::Parse(
      "\xEF\xBB\xBF[HKEY_CURRENT_USER\\SOFTWARE\\Marlen\\VEXA\\Window]\n\"a\"=dword:00000001\n"
      "[HKEY_LOCAL_MACHINE\\software\\marlen\\Vexa\\window]\n\"b\"=dword:00000002\n"
      "[-HKEY_CURRENT_USER\\software\\marlen\\Vexa\\window]\n\"c\"=dword:00000003\n"
      "[hkey_current_user\\software\\marlen\\Vexa\\window]\n\"d\"=dword:00000004\n");
  EXPECT_EQ(doc.Find(kKey, "a"), PreferenceValue::Dword(1));
  EXPECT_EQ(doc.Find(kKey, "b"), std::nullopt);
  EXPECT_EQ(doc.Find(kKey, "c"), std::nullopt);
  EXPECT_EQ(doc.Find(kKey, "d"), PreferenceValue::Dword(4));
  EXPECT_EQ(doc.Find("software\\marlen\\Vexa", "a"), std::nullopt);
}

TEST(RegDocument, ParsingAndPrintingLosesNothing) {
  const std::string text =
      "garbage \x01\x02 line\r\n[broken\n\"x\"=hex:01,\\\n "
      "02\n\n[HKEY_CURRENT_USER\\k]\n\"y\"=\"z\"";
  EXPECT_EQ(RegDocument::Parse(text).Text(), text);
}

TEST(RegDocument, WritingIntoAnEmptyDocumentStartsTheFile) {
  RegDocument doc = RegDocument::Parse("");
  doc.Set(kKey, "tree1width", PreferenceValue::Dword(200));
  doc.Set(kKey, "wndpl", PreferenceValue::Binary(std::string("\x2c\x00\x00\x00", 4)));
  doc.Set("software\\marlen\\Vexa\\history", "hist0",
          PreferenceValue::Text("/home/a \"b\"\\c.vxp"));
  EXPECT_EQ(doc.Text(),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CURRENT_USER\\software\\marlen\\Vexa\\window]\n"
            "\"tree1width\"=dword:000000c8\n"
            "\"wndpl\"=hex:2c,00,00,00\n"
            "\n"
            "[HKEY_CURRENT_USER\\software\\marlen\\Vexa\\history]\n"
            "\"hist0\"=\"/home/a \\\"b\\\"\\\\c.vxp\"\n");
  EXPECT_EQ(RegDocument::Parse(doc.Text()).Find("software\\marlen\\Vexa\\HISTORY", "HIST0"),
            PreferenceValue::Text("/home/a \"b\"\\c.vxp"));
}

TEST(RegDocument, WritingChangesOnlyTheValueWritten) {
  const std::string before =
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\software\\marlen\\Vexa\\window]\r\n"
      "\"tree1width\"=dword:00000010\r\n"
      "this line is damaged\r\n"
      "\"wndpl\"=hex:01,\\\r\n  02\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\software\\other]\r\n"
      "\"x\"=\"keep\"\r\n";
  RegDocument doc = RegDocument::Parse(before);
  doc.Set(kKey, "WNDPL", PreferenceValue::Binary("\x03"));
  doc.Set(kKey, "added", PreferenceValue::Dword(1));
  EXPECT_EQ(doc.Text(),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\software\\marlen\\Vexa\\window]\r\n"
            "\"tree1width\"=dword:00000010\r\n"
            "this line is damaged\r\n"
            "\"WNDPL\"=hex:03\r\n"
            "\"added\"=dword:00000001\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\software\\other]\r\n"
            "\"x\"=\"keep\"\r\n");
}

TEST(RegDocument, TextsWithLineBreaksCannotForgeValues) {
  RegDocument doc = RegDocument::Parse("");
  const std::string path = "/tmp/x\"\n\"flag\"=dword:00000003\n\"y";
  doc.Set("software\\marlen\\Vexa\\history", "log", PreferenceValue::Text(path));
  const RegDocument again = RegDocument::Parse(doc.Text());
  EXPECT_EQ(again.Find("software\\marlen\\Vexa\\history", "log"), PreferenceValue::Text(path));
  EXPECT_EQ(again.Find("software\\marlen\\Vexa\\history", "flag"), std::nullopt);
}

TEST(RegDocument, AFileWithoutLineBreakAtTheEndStaysWellFormed) {
  RegDocument doc = RegDocument::Parse("[HKEY_CURRENT_USER\\a]\n\"x\"=dword:00000001");
  doc.Set("a", "y", PreferenceValue::Dword(2));
  doc.Set("b", "z", PreferenceValue::Dword(3));
  const RegDocument again = RegDocument::Parse(doc.Text());
  EXPECT_EQ(again.Find("a", "x"), PreferenceValue::Dword(1));
  EXPECT_EQ(again.Find("a", "y"), PreferenceValue::Dword(2));
  EXPECT_EQ(again.Find("b", "z"), PreferenceValue::Dword(3));
}

TEST(RegDocument, ADanglingContinuationDoesNotSwallowNewValues) {
  for (const char* text :
       {"[HKEY_CURRENT_USER\\a]\n\"x\"=hex:01,\\\n", "[HKEY_CURRENT_USER\\a]\n\"x\"=hex:01,\\"}) {
    RegDocument doc = RegDocument::Parse(text);
    doc.Set("a", "y", PreferenceValue::Dword(2));
    doc.Set("b", "z", PreferenceValue::Dword(3));
    doc.Set("a", "y", PreferenceValue::Dword(4));
    const RegDocument again = RegDocument::Parse(doc.Text());
    EXPECT_EQ(again.Find("a", "y"), PreferenceValue::Dword(4)) << text;
    EXPECT_EQ(again.Find("b", "z"), PreferenceValue::Dword(3)) << text;
  }
}

}  // namespace
}  // namespace vexa
