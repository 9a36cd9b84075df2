// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/Attr.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

using namespace std::string_literals;

TEST(CAttr, InitialValues) {
  const CAttr attr;
  EXPECT_EQ(attr.sendKind, kKindNone);
  EXPECT_EQ(attr.receiveKind, kKindNone);
  EXPECT_EQ(attr.repeatPeriod, 0);
  EXPECT_EQ(attr.answerDelay, 1);
  EXPECT_EQ(attr.sendLength(), 0);
  EXPECT_EQ(attr.receiveLength(), 0);
  EXPECT_EQ(attr.answerPending, 0);
  EXPECT_EQ(attr.ErrorPosition(), 0);
}

struct SendCase {
  const char* name;
  std::string text;
  std::int32_t kind;
  std::string terminator;
  bool escapes;
  BuildResult result;
  std::string bytes;
  int errorPosition;
};

TEST(CAttr, BuildSendBytes) {
  const SendCase cases[] = {
      {"text with CR LF", "AT", kKindText, "\r\n", false, BuildResult::kOk, "AT\r\n", 0},
      {"escapes on", "AT\\r", kKindText, "\r\n", true, BuildResult::kOk, "AT\r\r\n", 0},
      {"escapes off", "AT\\r", kKindText, "\r\n", false, BuildResult::kOk, "AT\\r\r\n", 0},
      {"heading kind uses text rules", "A\\t", kKindNone, "", true, BuildResult::kOk, "A\t", 0},
      {"hex without terminator", "0D0A", kKindHex, "", false, BuildResult::kOk, "\r\n", 0},
      {"odd hex digit ignored", "0D0", kKindHex, "", false, BuildResult::kOk, "\r", 0},
      {"hex ignores escapes", "41", kKindHex, "\n", true, BuildResult::kOk, "A\n", 0},
      {"not hex", "0G", kKindHex, "\r\n", false, BuildResult::kNotHex, "", 0},
      {"escape error", "A\\q", kKindText, "\r\n", true, BuildResult::kEscapeError, "", 2},
      {"empty text sends nothing", "", kKindText, "\r\n", false, BuildResult::kOk, "", 0},
      {"zero bytes kept", "\\0A", kKindText, "\r", true, BuildResult::kOk, "\0A\r"s, 0},
      {"hex zero bytes kept", "0000", kKindHex, "", false, BuildResult::kOk, "\0\0"s, 0},
      {"text 41 is two bytes", "41", kKindText, "", false, BuildResult::kOk, "41", 0},
  };
  for (const SendCase& c : cases) {
    CAttr attr;
    attr.sendBytes = "stale";
    attr.sendText = c.text;
    attr.sendKind = c.kind;
    EXPECT_EQ(attr.BuildSendBytes(c.terminator, c.escapes), c.result) << c.name;
    EXPECT_EQ(attr.sendBytes, c.bytes) << c.name;
    EXPECT_EQ(attr.sendLength(), static_cast<std::int32_t>(c.bytes.size())) << c.name;
    EXPECT_EQ(attr.ErrorPosition(), c.errorPosition) << c.name;
  }
}

TEST(CAttr, BuildReceiveBytesNeverAddsATerminator) {
  CAttr attr;
  attr.receiveText = "OK";
  attr.receiveKind = kKindText;
  EXPECT_EQ(attr.BuildReceiveBytes(false), BuildResult::kOk);
  EXPECT_EQ(attr.receiveBytes, "OK");

  attr.receiveText = "52494E47";
  attr.receiveKind = kKindHex;
  EXPECT_EQ(attr.BuildReceiveBytes(false), BuildResult::kOk);
  EXPECT_EQ(attr.receiveBytes, "RING");

  attr.receiveText = "RI\\x";
  attr.receiveKind = kKindText;
  EXPECT_EQ(attr.BuildReceiveBytes(true), BuildResult::kEscapeError);
  EXPECT_EQ(attr.ErrorPosition(), 4);
  EXPECT_EQ(attr.receiveLength(), 0);

  attr.receiveText.clear();
  EXPECT_EQ(attr.BuildReceiveBytes(true), BuildResult::kOk);
  EXPECT_EQ(attr.receiveLength(), 0);
  EXPECT_EQ(attr.ErrorPosition(), 0);
}

TEST(CAttr, AssignCopiesAllButPendingAndErrorPosition) {
  CAttr source;
  source.sendKind = kKindHex;
  source.receiveKind = kKindText;
  source.repeatPeriod = 1000;
  source.answerDelay = 250;
  source.receiveText = "RING";
  source.receiveDescription = "ring";
  source.sendText = "4154";
  source.sendDescription = "at";
  source.label = "at;4154";
  source.repeatTimerId = 7;
  source.answerTimerId = 9;
  source.answerPending = 1;
  source.sendBytes = "AT\0"s;
  source.receiveBytes = "RING";
  source.sendText = "0G";
  ASSERT_EQ(source.BuildSendBytes("", false), BuildResult::kNotHex);  // errorPosition stays 0
  source.sendText = "A\\q";
  source.sendKind = kKindText;
  ASSERT_EQ(source.BuildSendBytes("", true), BuildResult::kEscapeError);
  source.sendBytes = "AT\0"s;

  CAttr target;
  target.answerPending = 1;
  target.Assign(source);
  EXPECT_EQ(target.sendKind, kKindText);
  EXPECT_EQ(target.receiveKind, kKindText);
  EXPECT_EQ(target.repeatPeriod, 1000);
  EXPECT_EQ(target.answerDelay, 250);
  EXPECT_EQ(target.receiveText, "RING");
  EXPECT_EQ(target.receiveDescription, "ring");
  EXPECT_EQ(target.sendText, "A\\q");
  EXPECT_EQ(target.sendDescription, "at");
  EXPECT_EQ(target.label, "at;4154");
  EXPECT_EQ(target.repeatTimerId, 7u);
  EXPECT_EQ(target.answerTimerId, 9u);
  EXPECT_EQ(target.sendBytes, "AT\0"s);
  EXPECT_EQ(target.receiveBytes, "RING");
  EXPECT_EQ(target.answerPending, 1) << "kept from the target";
  EXPECT_EQ(target.ErrorPosition(), 0) << "kept from the target";

  const CAttr copy(source);
  EXPECT_EQ(copy.answerPending, 0);
  EXPECT_EQ(copy.ErrorPosition(), 0);
  EXPECT_EQ(copy.sendBytes, "AT\0"s);
  EXPECT_EQ(copy.repeatTimerId, 7u);
}

}  // namespace
}  // namespace vexa
