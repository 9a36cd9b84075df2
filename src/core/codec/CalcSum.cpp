// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/codec/CalcSum.h"

#include <cstdint>
#include <cstdio>

#include "core/codec/Codec.h"
#include "core/codec/Crc.h"

namespace vexa {
namespace {

static_assert(kIdBcc - kIdCrcFirst == static_cast<int>(CrcKind::kBcc),
              "the CRC entries follow the order of CrcKind");

bool IsEvenHex(std::string_view text) {
  Bytes ignored;
  return text.size() % 2 == 0 && HexToBytes(text, ignored);
}

}  // namespace

void CCalcSum::AppendSumMenu(MenuDescription& menu, std::string_view selectedText) const {
  const std::size_t n = selectedText.size();
  const bool sumEnabled = n != 0 && IsEvenHex(selectedText);
  const bool wordEnabled = n % 4 == 0;
  const bool pasteEnabled = !sumText.empty();

  MenuDescription word = {
      MenuEntry::Command(kIdWordTwosComplement, "２の補数(&2)"),
      MenuEntry::Command(kIdWordOnesComplement, "１の補数(&1)"),
      MenuEntry::Command(kIdWordTotal, "累計(&0)"),
  };
  MenuDescription byte = {
      MenuEntry::Command(kIdByteTwosComplement, "２の補数(&2)"),
      MenuEntry::Command(kIdByteOnesComplement, "１の補数(&1)"),
      MenuEntry::Command(kIdByteTotal, "累計(&0)"),
  };
  MenuDescription sum = {
      MenuEntry::Popup("WORDで計算(&W)", wordEnabled, std::move(word)),
      MenuEntry::Popup("BYTEで計算(&B)", true, std::move(byte)),
  };
  menu.push_back(MenuEntry::Separator());
  menu.push_back(MenuEntry::Command(kIdPasteSum, "SUMを貼り付け(&P)", pasteEnabled));
  menu.push_back(MenuEntry::Popup("SUM計算(&S)", sumEnabled, std::move(sum)));
}

void CCalcSum::AppendCrcMenu(MenuDescription& menu, std::string_view coveredText) const {
  // The byte order is named where there are two bytes or more to send.
  MenuDescription crc = {
      MenuEntry::Command(kIdCrc8, "CRC-8 多項式07(&1)"),
      MenuEntry::Command(kIdCrc8Maxim, "CRC-8/MAXIM(&2)"),
      MenuEntry::Command(kIdCrc16Modbus, "CRC-16/MODBUS 下位ﾊﾞｲﾄから(&3)"),
      MenuEntry::Command(kIdCrc16CcittFalse, "CRC-16/CCITT-FALSE 上位ﾊﾞｲﾄから(&4)"),
      MenuEntry::Command(kIdCrc16Xmodem, "CRC-16/XMODEM 上位ﾊﾞｲﾄから(&5)"),
      MenuEntry::Command(kIdCrc16Kermit, "CRC-16/KERMIT 下位ﾊﾞｲﾄから(&6)"),
      MenuEntry::Command(kIdCrc32, "CRC-32 上位ﾊﾞｲﾄから(&7)"),
      MenuEntry::Command(kIdBcc, "BCC 全ﾊﾞｲﾄのXOR(&8)"),
  };
  menu.push_back(
      MenuEntry::Popup("CRC(&R)", !coveredText.empty() && IsEvenHex(coveredText), std::move(crc)));
}

SumResult CCalcSum::ComputeSum(std::string_view selectedText, int id) {
  Bytes bytes;
  if (!HexToBytes(selectedText, bytes)) return SumResult::kNotUsable;
  const std::size_t n = selectedText.size();
  if (n % 2 != 0) return SumResult::kNotUsable;
  if (IsCrcCommand(id)) {
    if (bytes.empty()) return SumResult::kNotUsable;
    sumText = CrcDigits(static_cast<CrcKind>(id - kIdCrcFirst), bytes);
    return SumResult::kComputed;
  }
  if (id < kIdWordTwosComplement || id > kIdByteTotal) return SumResult::kComputed;

  char text[8];
  if (id >= kIdByteTwosComplement) {
    unsigned s = 0;
    for (unsigned char b : bytes) s = (s + b) % 256;
    const unsigned value = id == kIdByteTwosComplement   ? (256 - s) % 256
                           : id == kIdByteOnesComplement ? 255 - s
                                                         : s;
    std::snprintf(text, sizeof text, "%02X", value);
  } else {
    if (n % 4 != 0) return SumResult::kNotUsable;
    std::uint32_t s = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const unsigned w =
          static_cast<unsigned char>(bytes[i]) * 256u + static_cast<unsigned char>(bytes[i + 1]);
      s = (s + w) % 65536;
    }
    const unsigned value = id == kIdWordTwosComplement   ? (65536 - s) % 65536
                           : id == kIdWordOnesComplement ? 65535 - s
                                                         : s;
    std::snprintf(text, sizeof text, "%04X", value);
  }
  sumText = text;
  return SumResult::kComputed;
}

}  // namespace vexa
