// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/codec/Crc.h"

#include <array>

namespace vexa {
namespace {

// The usual parameters of a CRC: a reflected algorithm shifts towards the low bit, takes its
// polynomial mirrored, and keeps its register mirrored, so that no bit reversal is needed.
struct CrcModel {
  int width;
  std::uint32_t polynomial;  // as published, high bit first
  std::uint32_t init;
  bool reflected;
  std::uint32_t xorOut;
  bool lowByteFirst;  // the byte order on the wire
};

constexpr std::array<CrcModel, 8> kModels = {{
    {8, 0x07, 0x00, false, 0x00, false},                    // kCrc8
    {8, 0x31, 0x00, true, 0x00, false},                     // kCrc8Maxim
    {16, 0x8005, 0xFFFF, true, 0x0000, true},               // kCrc16Modbus
    {16, 0x1021, 0xFFFF, false, 0x0000, false},             // kCrc16CcittFalse
    {16, 0x1021, 0x0000, false, 0x0000, false},             // kCrc16Xmodem
    {16, 0x1021, 0x0000, true, 0x0000, true},               // kCrc16Kermit
    {32, 0x04C11DB7, 0xFFFFFFFF, true, 0xFFFFFFFF, false},  // kCrc32
    // x^8 + 1: eight shifts rotate a byte back onto itself, so each byte is XORed in as it is.
    {8, 0x01, 0x00, false, 0x00, false},  // kBcc
}};

constexpr std::uint32_t Mask(int width) {
  return width == 32 ? 0xFFFFFFFFu : (1u << width) - 1;
}

constexpr std::uint32_t Reflect(std::uint32_t value, int width) {
  std::uint32_t mirrored = 0;
  for (int bit = 0; bit < width; ++bit) {
    if (value & (1u << bit)) mirrored |= 1u << (width - 1 - bit);
  }
  return mirrored;
}

// What the register becomes when the byte `index` meets it, for each of the 256 values.
constexpr std::array<std::uint32_t, 256> MakeTable(const CrcModel& model) {
  std::array<std::uint32_t, 256> table{};
  const std::uint32_t top = 1u << (model.width - 1);
  const std::uint32_t mirroredPolynomial = Reflect(model.polynomial, model.width);
  for (std::uint32_t index = 0; index < 256; ++index) {
    std::uint32_t crc = model.reflected ? index : index << (model.width - 8);
    for (int bit = 0; bit < 8; ++bit) {
      if (model.reflected) {
        crc = (crc & 1) ? (crc >> 1) ^ mirroredPolynomial : crc >> 1;
      } else {
        crc = (crc & top) ? (crc << 1) ^ model.polynomial : crc << 1;
      }
    }
    table[index] = crc & Mask(model.width);
  }
  return table;
}

constexpr auto MakeTables() {
  std::array<std::array<std::uint32_t, 256>, kModels.size()> tables{};
  for (std::size_t i = 0; i < kModels.size(); ++i) tables[i] = MakeTable(kModels[i]);
  return tables;
}

constexpr auto kTables = MakeTables();

const CrcModel& ModelOf(CrcKind kind) {
  return kModels[static_cast<std::size_t>(kind)];
}

}  // namespace

std::uint32_t CrcValue(CrcKind kind, std::string_view bytes) {
  const CrcModel& m = ModelOf(kind);
  const auto& table = kTables[static_cast<std::size_t>(kind)];
  std::uint32_t crc = m.reflected ? Reflect(m.init, m.width) : m.init;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (m.reflected) {
      crc = (crc >> 8) ^ table[(crc ^ byte) & 0xFF];
    } else {
      crc = ((crc << 8) ^ table[((crc >> (m.width - 8)) ^ byte) & 0xFF]) & Mask(m.width);
    }
  }
  return (crc ^ m.xorOut) & Mask(m.width);
}

std::string CrcDigits(CrcKind kind, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const CrcModel& m = ModelOf(kind);
  const std::uint32_t value = CrcValue(kind, bytes);
  std::string digits;
  for (int i = 0; i < m.width / 8; ++i) {
    const int shift = m.lowByteFirst ? 8 * i : m.width - 8 * (i + 1);
    const unsigned byte = (value >> shift) & 0xFF;
    digits += kHex[byte >> 4];
    digits += kHex[byte & 0xF];
  }
  return digits;
}

}  // namespace vexa
