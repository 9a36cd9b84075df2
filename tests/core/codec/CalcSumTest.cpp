// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/codec/CalcSum.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(ComputeSum, ValuesAndTexts) {
  struct Case {
    const char* selection;
    int id;
    const char* text;
  };
  const Case cases[] = {
      {"0102", kIdByteTwosComplement, "FD"},
      {"0102", kIdByteOnesComplement, "FC"},
      {"0102", kIdByteTotal, "03"},
      {"0102", kIdWordTwosComplement, "FEFE"},
      {"0102", kIdWordOnesComplement, "FEFD"},
      {"0102", kIdWordTotal, "0102"},
      {"00FF00FF", kIdWordTotal, "01FE"},
      {"00FF00FF", kIdWordTwosComplement, "FE02"},
      {"00FF00FF", kIdWordOnesComplement, "FE01"},
      {"1234", kIdByteTwosComplement, "BA"},
      {"1234", kIdByteOnesComplement, "B9"},
      {"1234", kIdByteTotal, "46"},
      {"0a0b", kIdByteTotal, "15"},
      {"FFFF", kIdByteTotal, "FE"},
      {"FFFFFFFF", kIdWordTotal, "FFFE"},
      {"00", kIdByteTwosComplement, "00"},
      {"0000", kIdWordTwosComplement, "0000"},
      {"80808080", kIdWordTotal, "0100"},
  };
  for (const Case& c : cases) {
    CCalcSum sum;
    EXPECT_EQ(sum.ComputeSum(c.selection, c.id), SumResult::kComputed)
        << c.selection << " " << c.id;
    EXPECT_EQ(sum.SumText(), c.text) << c.selection << " " << c.id;
  }
}

TEST(ComputeSum, UnusableSelectionsKeepThePreviousSum) {
  CCalcSum sum;
  ASSERT_EQ(sum.ComputeSum("0102", kIdByteTotal), SumResult::kComputed);
  EXPECT_EQ(sum.ComputeSum("123", kIdByteTotal), SumResult::kNotUsable);
  EXPECT_EQ(sum.ComputeSum("12 34", kIdByteTotal), SumResult::kNotUsable);
  EXPECT_EQ(sum.ComputeSum("123456", kIdWordTotal),
            SumResult::kNotUsable);  // odd number of bytes for words
  EXPECT_EQ(sum.SumText(), "03");
  // Handled but not a checksum id: nothing computed.
  EXPECT_EQ(sum.ComputeSum("FFFF", kIdSumFirst), SumResult::kComputed);
  EXPECT_EQ(sum.ComputeSum("FFFF", kIdSumLast), SumResult::kComputed);
  EXPECT_EQ(sum.SumText(), "03");
  // An empty selection is valid HEX of even length; the menu keeps it from being chosen.
  EXPECT_EQ(sum.ComputeSum("", kIdByteTotal), SumResult::kComputed);
  EXPECT_EQ(sum.SumText(), "00");
  sum.ClearSum();
  EXPECT_EQ(sum.SumText(), "");
}

TEST(ComputeSum, CrcsMatchTheirCheckValuesAndRealFramesInWireOrder) {
  const std::string check = "313233343536373839";  // ASCII "123456789"
  std::string xmodemPadding;                       // the last block of a file: 128 × 1A
  for (int i = 0; i < 128; ++i) xmodemPadding += "1A";
  struct Case {
    int id;
    std::string hex;
    const char* digits;
  };
  const Case cases[] = {
      {kIdCrc8, check, "F4"},
      {kIdCrc8Maxim, check, "A1"},
      {kIdCrc16Modbus, check, "374B"},  // 0x4B37, low byte first
      {kIdCrc16CcittFalse, check, "29B1"},
      {kIdCrc16Xmodem, check, "31C3"},
      {kIdCrc16Kermit, check, "8921"},  // 0x2189, low byte first
      {kIdCrc32, check, "CBF43926"},
      {kIdBcc, check, "31"},
      {kIdCrc16Modbus, "01030000000A", "C5CD"},  // read 10 holding registers from unit 1
      {kIdCrc8, "B407B5D23A", "30"},             // SMBus packet error code of a word read
      {kIdCrc8Maxim, "021CB801000000", "A2"},    // a 1-Wire ROM code's last byte
      {kIdCrc32, "49454E44", "AE426082"},        // the CRC closing a PNG file's IEND chunk
      {kIdCrc16Xmodem, xmodemPadding, "F8B0"},
      {kIdCrc16CcittFalse, "1021ff", "A4D8"},  // lower-case digits read as well
      {kIdCrc16Kermit, "4E2D3123", "52F8"},    // 0xF852, low byte first
      {kIdBcc, "3132333403", "07"},            // data and ETX of an STX frame
  };
  for (const Case& c : cases) {
    CCalcSum sum;
    EXPECT_EQ(sum.ComputeSum(c.hex, c.id), SumResult::kComputed) << c.id << " " << c.hex;
    EXPECT_EQ(sum.SumText(), c.digits) << c.id << " " << c.hex;
  }
  CCalcSum sum;
  ASSERT_EQ(sum.ComputeSum("01", kIdBcc), SumResult::kComputed);
  for (const char* unusable : {"", "123", "12 34", "GG"}) {
    EXPECT_EQ(sum.ComputeSum(unusable, kIdCrc32), SumResult::kNotUsable) << unusable;
  }
  EXPECT_EQ(sum.SumText(), "01");
}

const MenuEntry& Find(const MenuDescription& menu, const std::string& text) {
  for (const MenuEntry& e : menu) {
    if (e.text == text) return e;
  }
  ADD_FAILURE() << "no entry " << text;
  static const MenuEntry none;
  return none;
}

TEST(AppendSumMenu, EnablingRules) {
  struct Case {
    const char* selection;
    bool sum, word;
  };
  const Case cases[] = {
      {"0102", true, true},    {"123", false, false}, {"", false, true},    {"12 34", false, false},
      {"123456", true, false}, {"0a0B", true, true},  {"GG", false, false},
  };
  for (const Case& c : cases) {
    CCalcSum sum;
    MenuDescription menu = {MenuEntry::Command(57643, "元に戻す(&U)")};
    sum.AppendSumMenu(menu, c.selection);
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[1].kind, MenuEntry::Kind::kSeparator);
    EXPECT_EQ(menu[2].id, kIdPasteSum);
    EXPECT_FALSE(menu[2].enabled) << "nothing computed yet";
    const MenuEntry& sumPopup = menu[3];
    EXPECT_EQ(sumPopup.text, "SUM計算(&S)");
    EXPECT_EQ(sumPopup.enabled, c.sum) << c.selection;
    EXPECT_EQ(Find(sumPopup.children, "WORDで計算(&W)").enabled, c.word) << c.selection;
    EXPECT_TRUE(Find(sumPopup.children, "BYTEで計算(&B)").enabled);
  }
}

TEST(AppendCrcMenu, EntriesAndTheirGreying) {
  struct Case {
    const char* covered;
    bool enabled;
  };
  const Case cases[] = {{"01030000000A", true}, {"0a0B", true},   {"", false},
                        {"123", false},         {"12 34", false}, {"GG", false}};
  for (const Case& c : cases) {
    MenuDescription menu;
    CCalcSum().AppendCrcMenu(menu, c.covered);
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].text, "CRC(&R)");
    EXPECT_EQ(menu[0].enabled, c.enabled) << c.covered;
    ASSERT_EQ(menu[0].children.size(), 8u);
    for (std::size_t i = 0; i < menu[0].children.size(); ++i) {
      EXPECT_EQ(menu[0].children[i].id, kIdCrc8 + static_cast<int>(i));
    }
  }
}

TEST(AppendSumMenu, EntriesAndPasteAfterACompute) {
  CCalcSum sum;
  ASSERT_EQ(sum.ComputeSum("0102", kIdWordTotal), SumResult::kComputed);
  MenuDescription menu;
  sum.AppendSumMenu(menu, "0102");
  EXPECT_TRUE(menu[1].enabled);
  EXPECT_EQ(menu[1].text, "SUMを貼り付け(&P)");
  const auto& word = Find(menu[2].children, "WORDで計算(&W)").children;
  const auto& byte = Find(menu[2].children, "BYTEで計算(&B)").children;
  ASSERT_EQ(word.size(), 3u);
  ASSERT_EQ(byte.size(), 3u);
  const char* texts[] = {"２の補数(&2)", "１の補数(&1)", "累計(&0)"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(word[i].id, kIdWordTwosComplement + i);
    EXPECT_EQ(byte[i].id, kIdByteTwosComplement + i);
    EXPECT_EQ(word[i].text, texts[i]);
    EXPECT_EQ(byte[i].text, texts[i]);
    EXPECT_TRUE(word[i].enabled && byte[i].enabled);
  }
}

}  // namespace
}  // namespace vexa
