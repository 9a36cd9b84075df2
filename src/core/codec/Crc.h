// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The CRCs and the block check character that binary device protocols end their frames with.

#include <cstdint>
#include <string>
#include <string_view>

namespace vexa {

enum class CrcKind {
  kCrc8,             // polynomial 07, as SMBus PEC
  kCrc8Maxim,        // 1-Wire
  kCrc16Modbus,      // sent low byte first
  kCrc16CcittFalse,  // sent high byte first
  kCrc16Xmodem,      // sent high byte first
  kCrc16Kermit,      // sent low byte first
  kCrc32,            // sent high byte first
  kBcc,              // XOR of the bytes
};

// The check value of `bytes` (the register after the final XOR).
std::uint32_t CrcValue(CrcKind kind, std::string_view bytes);

// The check value as upper-case HEX digits, its bytes in the order the protocol sends them.
std::string CrcDigits(CrcKind kind, std::string_view bytes);

}  // namespace vexa
