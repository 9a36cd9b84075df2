// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte and word checksums and CRCs over selected HEX text, and the context-menu entries that
// offer them. The entries are a plain description; the widget layer renders it.

#include <string>
#include <string_view>

#include "core/MenuDescription.h"

namespace vexa {

// Command ids of the checksum entries.
enum SumCommand : int {
  kIdSumCalculate = 57610,
  kIdPasteSum = 57611,
  kIdSumFirst = 57612,  // lower end of the range routed to ComputeSum
  kIdWordTwosComplement = 57613,
  kIdWordOnesComplement = 57614,
  kIdWordTotal = 57615,
  kIdByteTwosComplement = 57616,
  kIdByteOnesComplement = 57617,
  kIdByteTotal = 57618,
  kIdSumLast = 57619,  // upper end of that range
};

// Command ids of the CRC entries, in the order of their menu (57650 to 57669 are theirs).
enum CrcCommand : int {
  kIdCrcFirst = 57650,
  kIdCrc8 = kIdCrcFirst,
  kIdCrc8Maxim,
  kIdCrc16Modbus,
  kIdCrc16CcittFalse,
  kIdCrc16Xmodem,
  kIdCrc16Kermit,
  kIdCrc32,
  kIdBcc,
};

inline bool IsCrcCommand(int id) {
  return id >= kIdCrcFirst && id <= kIdBcc;
}

enum class SumResult : int { kNotUsable = 0, kComputed = 1 };

class CCalcSum {
 public:
  CCalcSum() = default;
  virtual ~CCalcSum() = default;

  // Appends a separator, "SUMを貼り付け(&P)" and the "SUM計算(&S)" popup for the selection.
  void AppendSumMenu(MenuDescription& menu, std::string_view selectedText) const;
  // Appends the "CRC(&R)" popup, enabled when `coveredText` is HEX of at least one byte.
  void AppendCrcMenu(MenuDescription& menu, std::string_view coveredText) const;

  // kComputed when a checksum or CRC id computed the new sumText (a CRC as its bytes in the
  // order they are sent); kNotUsable when the text is not usable, leaving sumText unchanged.
  SumResult ComputeSum(std::string_view selectedText, int id);

  const std::string& SumText() const { return sumText; }
  void ClearSum() { sumText.clear(); }

 private:
  std::string sumText;  // upper-case hex of the last checksum; empty when none
};

}  // namespace vexa
