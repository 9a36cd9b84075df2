// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/ItemDetailsForm.h"

#include <gtest/gtest.h>

#include "core/items/Label.h"

namespace vexa {
namespace {

constexpr char kNotUnsigned[] = "正の整数を入力してください。";
constexpr char kPeriodRange[] = "0 から 16776960 までの整数を入力してください。";
constexpr char kDelayRange[] = "1 から 16776960 までの整数を入力してください。";

TEST(ApplyItemNumbers, UnsignedNumbersWithinTheirRanges) {
  struct Case {
    const char* period;
    const char* delay;
    std::optional<ItemNumberField> failing;
    const char* message;
    std::int32_t periodValue = 0;
    std::int32_t delayValue = 0;
  };
  const Case cases[] = {
      {"0", "1", std::nullopt, "", 0, 1},
      {"16776960", "16776960", std::nullopt, "", 16776960, 16776960},
      {" +250 ", "\t7", std::nullopt, "", 250, 7},
      {"16776961", "1", ItemNumberField::kPeriod, kPeriodRange},
      {"99999999999999999999999", "1", ItemNumberField::kPeriod, kPeriodRange},
      {"-1", "1", ItemNumberField::kPeriod, kNotUnsigned},
      {"", "1", ItemNumberField::kPeriod, kNotUnsigned},
      {"5x", "1", ItemNumberField::kPeriod, kNotUnsigned},
      {"1 0", "1", ItemNumberField::kPeriod, kNotUnsigned},
      {"+", "1", ItemNumberField::kPeriod, kNotUnsigned},
      {"0", "0", ItemNumberField::kDelay, kDelayRange},
      {"0", "16776961", ItemNumberField::kDelay, kDelayRange},
      {"0", "abc", ItemNumberField::kDelay, kNotUnsigned},
      {"x", "0", ItemNumberField::kDelay, kDelayRange},  // the delay is read first
  };
  for (const Case& c : cases) {
    CAttr item;
    item.repeatPeriod = 42;
    item.answerDelay = 43;
    ItemDetailsFields fields;
    fields.period = c.period;
    fields.delay = c.delay;
    const auto error = ApplyItemNumbers(fields, item);
    ASSERT_EQ(error.has_value(), c.failing.has_value()) << c.period << " / " << c.delay;
    if (error) {
      EXPECT_EQ(error->field, *c.failing) << c.period << " / " << c.delay;
      EXPECT_EQ(error->message, c.message) << c.period << " / " << c.delay;
      EXPECT_EQ(item.repeatPeriod, 42);
      EXPECT_EQ(item.answerDelay, 43) << "untouched";
    } else {
      EXPECT_EQ(item.repeatPeriod, c.periodValue);
      EXPECT_EQ(item.answerDelay, c.delayValue);
    }
  }
}

ItemDetailsFields Fields(const char* sendText, bool sendHex, const char* receiveText = "",
                         bool receiveHex = false) {
  ItemDetailsFields fields;
  fields.sendDescription = "desc";
  fields.sendText = sendText;
  fields.sendHex = sendHex;
  fields.receiveDescription = "rdesc";
  fields.receiveText = receiveText;
  fields.receiveHex = receiveHex;
  return fields;
}

TEST(ApplyItemData, KindsBytesAndTheLineOfEachSide) {
  CommSettings settings;
  settings.separator = "/";
  CAttr item;
  ASSERT_EQ(ApplyItemData(item, ItemDataSide::kSend, Fields("0D0A", true), settings),
            BuildResult::kOk);
  EXPECT_EQ(item.sendKind, kKindHex);
  EXPECT_EQ(item.sendBytes, "\r\n\r\n");
  EXPECT_EQ(item.label, "desc/0D0A");

  ASSERT_EQ(ApplyItemData(item, ItemDataSide::kReceive, Fields("", false, "RING", false), settings),
            BuildResult::kOk);
  EXPECT_EQ(item.receiveKind, kKindText);
  EXPECT_EQ(item.receiveBytes, "RING") << "no terminator";
  EXPECT_EQ(item.receiveDescription, "rdesc");

  // Emptied data: no kind, no bytes (no old answer lives on), and a line that splits back
  // into the description and empty data.
  ASSERT_EQ(ApplyItemData(item, ItemDataSide::kSend, Fields("", true), settings), BuildResult::kOk);
  ASSERT_EQ(ApplyItemData(item, ItemDataSide::kReceive, Fields("", false, "", true), settings),
            BuildResult::kOk);
  EXPECT_EQ(item.sendKind, kKindNone);
  EXPECT_EQ(item.sendBytes, "");
  EXPECT_EQ(item.receiveKind, kKindNone);
  EXPECT_EQ(item.receiveLength(), 0);
  EXPECT_EQ(item.label, "desc/");
  std::string description, data;
  EXPECT_TRUE(SplitLabel(item.label, '/', description, data));
  EXPECT_EQ(description, "desc");
  EXPECT_EQ(data, "");
}

TEST(ApplyItemData, FailuresAndKeepingDataAsText) {
  CommSettings settings;
  settings.useEscapes = 1;
  CAttr item;
  EXPECT_EQ(ApplyItemData(item, ItemDataSide::kSend, Fields("AT\\r", true), settings),
            BuildResult::kNotHex);
  EXPECT_EQ(item.sendBytes, "");
  EXPECT_EQ(KeepItemDataAsText(item, ItemDataSide::kSend, settings), BuildResult::kOk);
  EXPECT_EQ(item.sendKind, kKindText);
  EXPECT_EQ(item.sendBytes, "AT\r\r\n");

  // Kept as text, data may still hold a bad escape.
  EXPECT_EQ(
      ApplyItemData(item, ItemDataSide::kReceive, Fields("AT", false, "OK\\q", true), settings),
      BuildResult::kNotHex);
  EXPECT_EQ(KeepItemDataAsText(item, ItemDataSide::kReceive, settings), BuildResult::kEscapeError);
  EXPECT_EQ(item.ErrorPosition(), 3);
  EXPECT_EQ(item.receiveLength(), 0);
  EXPECT_EQ(item.sendBytes, "AT\r\r\n") << "the send side is untouched";
}

}  // namespace
}  // namespace vexa
