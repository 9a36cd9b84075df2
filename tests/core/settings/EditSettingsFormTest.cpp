// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/EditSettingsForm.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(ConstrainSeparatorField, KeepsOneSingleByteCharacter) {
  struct Case {
    const char* typed;
    const char* previous;
    const char* kept;
    bool refused;
  };
  const Case cases[] = {
      {";", "", ";", false},
      {"/", ";", "/", false},
      {"", ";", "", false},                // emptied: OK will say so
      {";a", ";", ";", true},              // a second character is cut off
      {"a;", ";", "a", true},              // typed before the old one
      {"\xB1", ";", "\xB1", false},        // ｱ, a single-byte katakana
      {"\xB1\xB2", "\xB1", "\xB1", true},  // ｱｲ
      {"\x82\xA0", ";", ";", true},        // あ: its first byte is no character
      {"\x82\xA0;", "/", "/", true},       // あ; stays refused as a whole
      {";\x82\xA0", ";", ";", true},       // ;あ keeps the semicolon
      {"\x82", ";", ";", true},            // a lone lead byte
      {"\r", ";", ";", true},              // a line end would split the file's line
      {"\t", ";", "\t", false},
      {"\x7F", ",", ",", true},
  };
  for (const Case& c : cases) {
    const SeparatorFieldText result = ConstrainSeparatorField(c.typed, c.previous);
    EXPECT_EQ(result.text, c.kept) << "typed " << c.typed;
    EXPECT_EQ(result.refused, c.refused) << "typed " << c.typed;
  }
}

TEST(ApplyEditFields, StoresTheChoicesOrRefusesAnEmptySeparator) {
  CommSettings settings;
  EditSettingsFields fields = EditFieldsOf(settings);
  EXPECT_EQ(fields.separator, ";");
  EXPECT_FALSE(fields.hexInputDefault || fields.hexDisplayDefault || fields.useEscapes);

  fields.separator.clear();
  fields.useEscapes = true;
  const auto error = ApplyEditFields(fields, settings);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->message, "説明とｺﾏﾝﾄﾞの区切りが設定されていません。");
  EXPECT_EQ(error->caption, "Vexa");
  EXPECT_EQ(settings, kDefaultCommSettings) << "untouched";

  fields = {true, false, true, "/"};
  ASSERT_FALSE(ApplyEditFields(fields, settings).has_value());
  EXPECT_EQ(settings.separator, "/");
  EXPECT_EQ(settings.hexInputDefault, 1);
  EXPECT_EQ(settings.hexDisplayDefault, 0);
  EXPECT_EQ(settings.useEscapes, 1);
}

}  // namespace
}  // namespace vexa
