// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/CommSettingsForm.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(ApplyCommFields, ChecksInOrderWithTheirMessages) {
  struct Case {
    const char* name;
    void (*edit)(CommSettingsFields&);
    std::optional<CommField> failing;
    const char* message;
  };
  const Case cases[] = {
      {"unchanged defaults", [](CommSettingsFields&) {}, std::nullopt, ""},
      {"port COM9", [](CommSettingsFields& f) { f.port = "COM9"; }, CommField::kPort, ""},
      {"device path", [](CommSettingsFields& f) { f.port = "/dev/ttyUSB0"; }, std::nullopt, ""},
      {"baud 0", [](CommSettingsFields& f) { f.baud = "0"; }, CommField::kBaud,
       "通信ﾚｰﾄは 256000 までです。"},
      {"baud 300000", [](CommSettingsFields& f) { f.baud = "300000"; }, CommField::kBaud,
       "通信ﾚｰﾄは 256000 までです。"},
      {"baud -9600", [](CommSettingsFields& f) { f.baud = "-9600"; }, CommField::kBaud,
       "通信ﾚｰﾄは 256000 までです。"},
      {"baud with letters", [](CommSettingsFields& f) { f.baud = "9600bps"; }, std::nullopt, ""},
      {"stop bits 1,5", [](CommSettingsFields& f) { f.stopBits = "1,5"; }, CommField::kStopBits,
       ""},
      {"parity Odd", [](CommSettingsFields& f) { f.parity = "Odd"; }, CommField::kParity, ""},
      {"send cr+lf", [](CommSettingsFields& f) { f.sendTerminator = "cr+lf"; },
       CommField::kSendTerminator, ""},
      {"receive one-byte escape", [](CommSettingsFields& f) { f.receiveTerminator = "\\x03"; },
       std::nullopt, ""},
      {"receive three bytes", [](CommSettingsFields& f) { f.receiveTerminator = "\\r\\n\\r"; },
       CommField::kReceiveTerminator, ""},
      {"record length 0", [](CommSettingsFields& f) { f.recordLength = "0"; },
       CommField::kRecordLength, "受信ﾚｺｰﾄﾞ長は１～ 512 までです。"},
      {"record length 513", [](CommSettingsFields& f) { f.recordLength = "513"; },
       CommField::kRecordLength, "受信ﾚｺｰﾄﾞ長は１～ 512 までです。"},
      {"record length -5", [](CommSettingsFields& f) { f.recordLength = "-5"; },
       CommField::kRecordLength, "受信ﾚｺｰﾄﾞ長は１～ 512 までです。"},
      {"data bits 3", [](CommSettingsFields& f) { f.dataBits = "3"; }, CommField::kDataBits,
       "ﾃﾞｰﾀﾋﾞｯﾄ長は 4 ～ 8 までです。"},
      {"data bits 9", [](CommSettingsFields& f) { f.dataBits = "9"; }, CommField::kDataBits,
       "ﾃﾞｰﾀﾋﾞｯﾄ長は 4 ～ 8 までです。"},
      {"data bits 5x", [](CommSettingsFields& f) { f.dataBits = "5x"; }, CommField::kDataBits,
       "整数を入力してください。"},
      {"data bits  7 ", [](CommSettingsFields& f) { f.dataBits = " 7 "; }, std::nullopt, ""},
      {"time-out 0", [](CommSettingsFields& f) { f.timeout = "0"; }, CommField::kTimeout,
       "受信ﾀｲﾑｱｳﾄは 1 ～ 5000 までです。"},
      {"time-out 5001", [](CommSettingsFields& f) { f.timeout = "5001"; }, CommField::kTimeout,
       "受信ﾀｲﾑｱｳﾄは 1 ～ 5000 までです。"},
      {"first failure wins",
       [](CommSettingsFields& f) {
         f.timeout = "0";
         f.baud = "0";
       },
       CommField::kBaud, "通信ﾚｰﾄは 256000 までです。"},
  };
  for (const Case& c : cases) {
    CommSettings settings = kDefaultCommSettings;
    CommSettingsFields fields = FieldsOf(settings);
    c.edit(fields);
    const auto error = ApplyCommFields(fields, settings);
    ASSERT_EQ(error.has_value(), c.failing.has_value()) << c.name;
    if (error) {
      EXPECT_EQ(error->field, *c.failing) << c.name;
      EXPECT_EQ(error->message, c.message) << c.name;
      EXPECT_EQ(settings, kDefaultCommSettings) << c.name << ": untouched on failure";
    }
  }
}

TEST(ApplyCommFields, StoresNamesWithTheirBytes) {
  CommSettings settings;
  CommSettingsFields fields = FieldsOf(settings);
  fields.receiveTerminator = "\x82\xC8\x82\xB5";  // なし
  fields.sendTerminator = "\\r";
  fields.baud = "115200";
  fields.parity = "space";
  fields.stopBits = "1.5";
  ASSERT_FALSE(ApplyCommFields(fields, settings).has_value());
  EXPECT_EQ(settings.receiveTerminator, "");
  EXPECT_EQ(settings.sendTerminatorName, "\\r");
  EXPECT_EQ(settings.sendTerminator, "\r");
  EXPECT_EQ(settings.baudRate, 115200);
  EXPECT_EQ(settings.parity, 4);
  EXPECT_EQ(settings.stopBits, 1);
  EXPECT_TRUE(RecordLengthEditable(fields.receiveTerminator));
  EXPECT_FALSE(RecordLengthEditable("CR"));
}

}  // namespace
}  // namespace vexa
