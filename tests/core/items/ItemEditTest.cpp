// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/ItemEdit.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

CommSettings Settings(bool hexInput, bool escapes) {
  CommSettings settings = kDefaultCommSettings;
  settings.hexInputDefault = hexInput ? 1 : 0;
  settings.useEscapes = escapes ? 1 : 0;
  return settings;
}

TEST(ApplyEditedLine, SplitsTheLineAndDerivesItsKindAndBytes) {
  struct Case {
    const char* what;
    std::int32_t kindBefore;
    CommSettings settings;
    const char* line;
    BuildResult result;
    std::int32_t kind;
    const char* description;
    const char* data;
    std::string bytes;
  };
  const Case cases[] = {
      {"a heading gains text data", kKindNone, Settings(false, false), "hello;AT", BuildResult::kOk,
       kKindText, "hello", "AT", "AT\r\n"},
      {"a heading gains HEX data when HEX input is the default", kKindNone, Settings(true, false),
       "frame;0D0A", BuildResult::kOk, kKindHex, "frame", "0D0A", "\r\n\r\n"},
      {"a HEX item keeps its kind", kKindHex, Settings(false, false), "f;41", BuildResult::kOk,
       kKindHex, "f", "41", "A\r\n"},
      {"a line without the separator is a heading", kKindText, Settings(false, false), "only words",
       BuildResult::kOk, kKindNone, "only words", "", ""},
      {"letters that are not HEX", kKindHex, Settings(false, false), "x;AT", BuildResult::kNotHex,
       kKindHex, "x", "AT", ""},
      {"an escape error", kKindText, Settings(false, true), "x;A\\q", BuildResult::kEscapeError,
       kKindText, "x", "A\\q", ""},
  };
  for (const Case& c : cases) {
    CAttr copy;
    copy.sendKind = c.kindBefore;
    copy.repeatPeriod = 500;
    EXPECT_EQ(ApplyEditedLine(copy, c.line, c.settings), c.result) << c.what;
    EXPECT_EQ(copy.sendKind, c.kind) << c.what;
    EXPECT_EQ(copy.label, c.line) << c.what;
    EXPECT_EQ(copy.sendDescription, c.description) << c.what;
    EXPECT_EQ(copy.sendText, c.data) << c.what;
    EXPECT_EQ(copy.sendBytes, c.bytes) << c.what;
    EXPECT_EQ(copy.repeatPeriod, 500) << c.what << ": the edit keeps the timing";
  }
}

TEST(KeepAsText, DataThatIsNotHexIsSentAsTyped) {
  CAttr copy;
  copy.sendKind = kKindHex;
  const CommSettings settings = Settings(true, false);
  ASSERT_EQ(ApplyEditedLine(copy, "x;AT", settings), BuildResult::kNotHex);
  KeepAsText(copy, settings);
  EXPECT_EQ(copy.sendKind, kKindText);
  EXPECT_EQ(copy.sendBytes, "AT\r\n");
}

TEST(ChangeDataKind, ReinterpretsTheTypedTextOnly) {
  const CommSettings plain = Settings(false, false);
  CAttr item;
  ApplyEditedLine(item, "d;41", plain);
  ASSERT_EQ(item.sendKind, kKindText);
  EXPECT_EQ(item.sendBytes, "41\r\n");

  CAttr hex = item;
  EXPECT_EQ(ChangeDataKind(hex, kKindHex, plain), BuildResult::kOk);
  EXPECT_EQ(hex.sendBytes, "A\r\n");
  EXPECT_EQ(hex.sendText, "41") << "the text is never rewritten";
  EXPECT_EQ(ChangeDataKind(hex, kKindHex, plain), std::nullopt) << "already HEX";

  CAttr at;
  ApplyEditedLine(at, "d;AT", plain);
  EXPECT_EQ(ChangeDataKind(at, kKindHex, plain), BuildResult::kNotHex);

  CAttr escaped;
  escaped.sendKind = kKindHex;
  escaped.sendText = "A\\q";
  EXPECT_EQ(ChangeDataKind(escaped, kKindText, Settings(false, true)), BuildResult::kEscapeError);

  CAttr heading;
  ApplyEditedLine(heading, "heading", plain);
  EXPECT_EQ(ChangeDataKind(heading, kKindHex, plain), std::nullopt) << "no data: nothing to change";
}

}  // namespace
}  // namespace vexa
