// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/codec/CalcSum.h"

#include <cstdint>
#include <cstdio>

#include "core/codec/Codec.h"

namespace vexa {

void CCalcSum::AppendSumMenu(MenuDescription& menu, std::string_view selectedText) const {
  const std::size_t n = selectedText.size();
  Bytes ignored;
  const bool sumEnabled = n != 0 && n % 2 == 0 && HexToBytes(selectedText, ignored);
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

SumResult CCalcSum::ComputeSum(std::string_view selectedText, int id) {
  Bytes bytes;
  if (!HexToBytes(selectedText, bytes)) return SumResult::kNotUsable;
  const std::size_t n = selectedText.size();
  if (n % 2 != 0) return SumResult::kNotUsable;
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
